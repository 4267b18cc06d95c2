// IRadioChooser end to end: simulated radios answer the real discovery probe
// on loopback, the chooser numbers them for the discovery run (in id order at
// its start), saves the pick per slot and binds network rigs that poll the
// simulator over TCP.
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ChooserFixture.h"
#include "discovery/FakeRadio.h"
#include "settings/Settings.h"
#include "platform/Profile.h"

using managertest::radio;
using managertest::radioNames;
using managertest::RadioChooserTest;
using managertest::rigName;
using managertest::take;

namespace {

std::string savedKey(const char* key) {
    char value[128] = {};
    GetPrivateProfileStringA(settings::kSection, key, "", value, sizeof value, settings::kFile);
    return value;
}

// Launch and Check as a logger does, until the rig stops asking for Checks.
HRESULT pollUntilQuiet(IQbRig* rig) {
    LONG hint = 0;
    rig->Launch(&hint);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (hint == 10 && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const HRESULT hr = rig->Check(&hint);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

TEST_F(RadioChooserTest, WithNoRadioOffersOnlyTheAddressDialog) {
    serve({});
    auto chooser = startChooser();

    SHORT count = -1;
    ASSERT_EQ(chooser->GetNumChoices(0, 0, &count), S_OK);
    EXPECT_EQ(count, 1);

    BSTR name = nullptr;
    ASSERT_EQ(chooser->GetRadioName(0, 0, &name), S_OK);
    EXPECT_EQ(take(name), "IP edit...");
    name = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(chooser->GetRadioName(0, 1, &name), E_INVALIDARG);
    EXPECT_EQ(name, nullptr);

    SHORT saved = -1;
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &saved), S_OK);
    EXPECT_EQ(saved, 0);

    IQbRig* rig = reinterpret_cast<IQbRig*>(0x1);
    EXPECT_EQ(chooser->GetRigObject(0, -1, 1, &rig), E_FAIL) << "nothing saved under K4Slot2";
    EXPECT_EQ(rig, nullptr);
}

TEST_F(RadioChooserTest, ListsRadiosInIdOrderWithTheirNames) {
    serve({radio("Beta", "K4B002"), radio("Alpha", "K4A001"), radio("Lower", "k4a000")});
    auto chooser = startChooser();

    // Ids compare as bytes: upper case sorts before lower case.
    EXPECT_EQ(radioNames(chooser.get()), (std::vector<std::string>{"Alpha", "Beta", "Lower"}));

    BSTR name = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(chooser->GetRadioName(0, 4, &name), E_INVALIDARG);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(chooser->GetRadioName(0, -1, &name), E_INVALIDARG);
}

TEST_F(RadioChooserTest, ChoosingARadioSavesItsIdAndBindsTheSlot) {
    serve({radio("Beta", "K4B002"), radio("Alpha", "K4A001")});
    auto chooser = startChooser();

    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 2, 0, rig.receive()), S_OK);
    ASSERT_TRUE(rig);
    EXPECT_EQ(savedKey("K4Slot1"), "K4B002");

    SHORT saved = 0;
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &saved), S_OK);
    EXPECT_EQ(saved, 2);

    EXPECT_EQ(rigName(rig.get()), "Beta");
    com::ComPtr<IQbRigDisplayInfo> info;
    ASSERT_EQ(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())), S_OK);
    SHORT isError = -1;
    BSTR status = reinterpret_cast<BSTR>(0x1);
    ASSERT_EQ(info->GetStatusText(&isError, &status), S_OK);
    EXPECT_EQ(isError, 0);
    EXPECT_EQ(status, nullptr);
}

TEST_F(RadioChooserTest, BoundRigPollsTheRadioAndOutlivesTheManager) {
    serve({radio("Alpha", "K4A001")});
    k4sim::RadioState state;
    state.vfoA = 7010000;
    state.vfoB = 7012500;
    state.split = true;
    state.mode = 7;
    sim_->radio(0).setState(state);
    auto chooser = startChooser();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);

    chooser.reset();
    manager.reset();

    ASSERT_EQ(pollUntilQuiet(rig.get()), S_OK);
    double tx = 0, rx = 0;
    SHORT mode = 0, vfo = -1, split = 0;
    ASSERT_EQ(rig->GetFrequency(&tx, &rx, &mode, &vfo, &split), S_OK);
    EXPECT_DOUBLE_EQ(rx, 7010.0);
    EXPECT_DOUBLE_EQ(tx, 7012.5);
    EXPECT_EQ(mode, 3) << "reversed CW is reported as CW";
    EXPECT_EQ(split, 1);
    EXPECT_TRUE(sim_->radio(0).waitForBytes(16, std::chrono::seconds(2)));
    EXPECT_EQ(sim_->radio(0).received().substr(0, 16), "FA;FB;FT;MD;MD$;");
}

TEST_F(RadioChooserTest, SavedChoiceFollowsTheRadioWhenTheListChanges) {
    serve({radio("Mike", "K4M")}, {2});
    auto chooser = startChooser();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 1, rig.receive()), S_OK);
    EXPECT_EQ(savedKey("K4Slot2"), "K4M");
    rig.reset();

    // A radio with a smaller id appears: the saved radio moves to choice 2.
    serve({radio("Mike", "K4M"), radio("Alpha", "K4A")}, {2});
    SHORT count = 0;
    ASSERT_EQ(chooser->GetNumChoices(0, 1, &count), S_OK) << "a fresh discovery run";
    ASSERT_EQ(count, 3);
    SHORT saved = 0;
    ASSERT_EQ(chooser->GetSavedChoice(0, 1, &saved), S_OK);
    EXPECT_EQ(saved, 2);

    ASSERT_EQ(chooser->GetRigObject(0, -1, 1, rig.receive()), S_OK);
    EXPECT_EQ(rigName(rig.get()), "Mike");
}

// The host learns the saved radio's number before it counts. A radio that
// answers later, with an id that sorts first, takes the next number (its
// saved choice, -1, finds it at once), so the number the host holds still
// binds and saves the radio it showed. A new discovery run numbers in id
// order again.
TEST_F(RadioChooserTest, ANumberTheHostHoldsKeepsItsRadioUntilDiscoveryStartsAgain) {
    serve({radio("Links", "K4L")}, {1, 5});  // a TCP port that takes the rigs' links at once
    discoverytest::FakeRadio radio;
    ini.set("ELECRAFT_K4_PORTNUMBER", std::to_string(radio.port()));
    ini.set("K4Slot1", "K4B");
    ini.set("K4Slot5", "K4A");
    auto chooser = startChooser();
    auto probe = radio.receive();
    ASSERT_TRUE(probe);
    radio.answer(probe->from, "k4:Beta:info:K4B");
    SHORT preselected = 0;
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &preselected), S_OK);
    ASSERT_EQ(preselected, 1);

    radio.answer(probe->from, "k4:Alpha:info:K4A");
    com::ComPtr<IQbRig> rig;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (chooser->GetRigObject(0, -1, 4, rig.receive()) == E_FAIL && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(rig) << "the late radio, by the saved choice";
    EXPECT_EQ(rigName(rig.get()), "Alpha");
    SHORT saved = -1;
    ASSERT_EQ(chooser->GetSavedChoice(0, 4, &saved), S_OK);
    EXPECT_EQ(saved, 0) << "not in the list the host counted";

    EXPECT_EQ(radioNames(chooser.get()), (std::vector<std::string>{"Beta", "Alpha"}));
    ASSERT_EQ(chooser->GetRigObject(0, preselected, 0, rig.receive()), S_OK);
    EXPECT_EQ(rigName(rig.get()), "Beta");
    EXPECT_EQ(savedKey("K4Slot1"), "K4B");
    ASSERT_EQ(chooser->GetSavedChoice(0, 4, &saved), S_OK);
    EXPECT_EQ(saved, 2);

    std::thread answering([&] {
        probe = radio.receive();
        if (!probe) return;
        radio.answer(probe->from, "k4:Beta:info:K4B");
        radio.answer(probe->from, "k4:Alpha:info:K4A");
    });
    SHORT count = 0;
    ASSERT_EQ(chooser->GetNumChoices(0, 1, &count), S_OK);
    answering.join();
    ASSERT_EQ(count, 3);
    EXPECT_EQ(radioNames(chooser.get()), (std::vector<std::string>{"Alpha", "Beta"}));
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &saved), S_OK);
    EXPECT_EQ(saved, 2);
}

TEST_F(RadioChooserTest, RealRadiosAreListedAndTheirRigsNamedAfterTheirIds) {
    auto real = [](const std::string& id) {
        auto options = radio("", id);
        options.shape = k4sim::AnswerShape::real;
        return options;
    };
    serve({real("05678"), real("01234")});
    auto chooser = startChooser();
    EXPECT_EQ(radioNames(chooser.get()), (std::vector<std::string>{"K4 01234", "K4 05678"}));
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 2, 0, rig.receive()), S_OK);
    EXPECT_EQ(rigName(rig.get()), "K4 05678");
    EXPECT_EQ(savedKey("K4Slot1"), "05678");
    rig.reset();
    ASSERT_EQ(chooser->GetRigObject(0, -1, 0, rig.receive()), S_OK);
    EXPECT_EQ(rigName(rig.get()), "K4 05678") << "the saved choice too";
}

// The id comes from the network: the radio is listed and yields a rig, but
// the id never reaches the INI file, and the slot's earlier choice goes.
TEST_F(RadioChooserTest, ARadioWhoseIdHoldsALineBreakIsChosenButNotSaved) {
    serve({radio("Crafty", "x\r\nK4onSerialEnable=1")});
    ini.set("K4Slot1", "K4OLD");
    auto chooser = startChooser();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);
    EXPECT_TRUE(rig);
    EXPECT_EQ(savedKey("K4Slot1"), "");
    EXPECT_FALSE(settings::serialRigEnabled());
    SHORT saved = -1;
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &saved), S_OK);
    EXPECT_EQ(saved, 0);
}

// " X" would read back as "X": choosing it must not leave the slot saved
// as the other radio, nor keep the slot's earlier choice.
TEST_F(RadioChooserTest, AnIdThatReadsBackAsAnotherRadiosIsNotSaved) {
    serve({radio("Spaced", " X"), radio("Plain", "X")});
    ini.set("K4Slot1", "K4OLD");
    auto chooser = startChooser();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);
    EXPECT_EQ(rigName(rig.get()), "Spaced");
    EXPECT_EQ(savedKey("K4Slot1"), "");
    SHORT saved = -1;
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &saved), S_OK);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(chooser->GetRigObject(0, -1, 0, rig.receive()), E_FAIL) << "not radio X";
}

TEST_F(RadioChooserTest, AnIdCutBySixtyFourBytesIsNeverFoundAgain) {
    const std::string longId(70, 'x');
    serve({radio("Long", longId)});
    auto chooser = startChooser();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);
    SHORT saved = -1;
    ASSERT_EQ(chooser->GetSavedChoice(0, 0, &saved), S_OK);
    EXPECT_EQ(saved, 0) << "only 63 characters are read back";
}

TEST_F(RadioChooserTest, ARadioThatRefusesTheLinkStillYieldsARig) {
    serve({radio("Alpha", "K4A001")});
    sim_->setListening(0, false);
    auto chooser = startChooser();
    com::ComPtr<IQbRig> rig;
    ASSERT_EQ(chooser->GetRigObject(0, 1, 0, rig.receive()), S_OK);
    LONG hint = 0;
    EXPECT_EQ(rig->Check(&hint), E_FAIL);
    EXPECT_EQ(hint, -1);
}

TEST_F(RadioChooserTest, EveryMethodRefusesARigIndexOtherThanZero) {
    serve({radio("Alpha", "K4A001")});
    auto chooser = startChooser();
    for (LONG index : {1, -1, 2}) {
        SHORT count = 7;
        EXPECT_EQ(chooser->GetNumChoices(index, 0, &count), E_INVALIDARG);
        EXPECT_EQ(count, 0);
        BSTR name = reinterpret_cast<BSTR>(0x1);
        EXPECT_EQ(chooser->GetRadioName(index, 1, &name), E_INVALIDARG);
        EXPECT_EQ(name, nullptr);
        SHORT saved = 7;
        EXPECT_EQ(chooser->GetSavedChoice(index, 0, &saved), E_INVALIDARG);
        EXPECT_EQ(saved, 0);
        IQbRig* rig = reinterpret_cast<IQbRig*>(0x1);
        EXPECT_EQ(chooser->GetRigObject(index, 1, 0, &rig), E_INVALIDARG);
        EXPECT_EQ(rig, nullptr);
    }
    IQbRig* rig = reinterpret_cast<IQbRig*>(0x1);
    EXPECT_EQ(chooser->GetRigObject(0, 2, 0, &rig), E_INVALIDARG) << "only one radio is listed";
    EXPECT_EQ(rig, nullptr);
    EXPECT_EQ(savedKey("K4Slot1"), "") << "nothing is saved for a refused choice";
}

TEST_F(RadioChooserTest, AFloodOfDistinctAnswersKeepsTheCountPositive) {
    auto flooding = radio("Flood", "K4F");
    flooding.faults.flood = 300;
    serve({flooding});
    auto chooser = startChooser();
    SHORT count = 0;
    ASSERT_EQ(chooser->GetNumChoices(0, 0, &count), S_OK);
    EXPECT_GT(count, 1);
    EXPECT_LE(count, 301);
}

}  // namespace
