// Choice 0 of the chooser runs the real address dialog under Wine (which
// needs an X display: with-display.sh gives one). Cancel leaves the stored
// addresses and the radio list as they were; OK stores the typed list and
// starts discovery again, so the list then holds what the new run finds.
#include <windows.h>

#include <gtest/gtest.h>

#include "ChooserFixture.h"
#include "DialogDriver.h"
#include "OwnDesktop.h"
#include "settings/Settings.h"
#include "ui/AddressDialogIds.h"

using managertest::radio;
using managertest::radioNames;
using managertest::RadioChooserTest;

namespace {

using Names = std::vector<std::string>;

// Runs choice 0 while a driver types the text into the dialog and clicks the
// button; the choice never yields a rig.
void editAddresses(IRadioChooser* chooser, const std::string& typed, int button) {
    DialogDriver driver("Quillbox K4 IP Addresses", [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, typed.c_str());
        SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    });
    IQbRig* rig = reinterpret_cast<IQbRig*>(0x1);
    EXPECT_EQ(chooser->GetRigObject(0, 0, 0, &rig), E_FAIL);
    EXPECT_EQ(rig, nullptr);
    EXPECT_EQ(driver.actionsRun(), 1);
}

TEST_F(RadioChooserTest, TheAddressDialogStoresAndRediscoversOnOkOnly) {
    ASSERT_TRUE(useOwnDesktop());
    ini.set("ELECRAFT_K4_IP_ADDRESSES", "10.1.2.3");
    serve({radio("Alpha", "K4A")});
    auto chooser = startChooser();
    ASSERT_EQ(radioNames(chooser.get()), Names{"Alpha"});
    // From now on a new discovery run would find Beta alone.
    serve({radio("Beta", "K4B")});

    editAddresses(chooser.get(), "127.0.0.1", IDCANCEL);
    EXPECT_EQ(settings::remoteAddresses(), "10.1.2.3");
    EXPECT_EQ(radioNames(chooser.get()), Names{"Alpha"}) << "no new discovery run";

    editAddresses(chooser.get(), "127.0.0.1", IDOK);
    EXPECT_EQ(settings::remoteAddresses(), "127.0.0.1");
    EXPECT_EQ(radioNames(chooser.get()), Names{"Beta"}) << "a new discovery run";
}

}  // namespace
