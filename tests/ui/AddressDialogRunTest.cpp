// The address dialog run for real under Wine (needs an X display): a
// DialogDriver types into it and closes it from inside its modal loop; the
// outcome is checked in the INI file through the private-profile functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "OwnDesktop.h"
#include "ui/AddressDialog.h"
#include "ui/AddressDialogIds.h"

namespace {

constexpr const char* kCaption = "Quillbox K4 IP Addresses";
constexpr const char* kFile = "quillbox.ini";
constexpr const char* kSection = "RIGS";
constexpr const char* kKey = "ELECRAFT_K4_IP_ADDRESSES";
constexpr const char* kMissing = "<no key>";

void clickButton(HWND dialog, int id) {
  SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void pressKey(HWND dialog, WPARAM key) {
  HWND edit = GetDlgItem(dialog, IDC_K4IPADDRESSES);
  PostMessageA(edit, WM_KEYDOWN, key, 1);
  PostMessageA(edit, WM_KEYUP, key, 0xC0000001);
}

std::string controlClass(HWND control) {
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  return name;
}

std::string letters(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

class AddressDialogRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(useOwnDesktop()); }

  void SetUp() override { erase(); }
  void TearDown() override { erase(); }

  static void erase() { WritePrivateProfileStringA(kSection, kKey, nullptr, kFile); }
  static void store(const std::string& value) { WritePrivateProfileStringA(kSection, kKey, value.c_str(), kFile); }

  static std::string stored() {
    char value[1024] = {};
    GetPrivateProfileStringA(kSection, kKey, kMissing, value, sizeof value, kFile);
    return value;
  }

  // Runs the dialog from this program's resources while `action` drives it;
  // the action must run exactly once.
  int run(DialogDriver::Action action) {
    DialogDriver driver(kCaption, std::move(action));
    int ended = runAddressDialog(GetModuleHandleA(nullptr));
    EXPECT_EQ(driver.actionsRun(), 1);
    return ended;
  }

  // Runs the dialog, records the text it opened with, replaces it with
  // `typed` and closes it with `button`.
  int typeAndClick(const std::string& typed, int button) {
    return run([&](HWND dialog) {
      shown_ = controlText(dialog, IDC_K4IPADDRESSES);
      SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, typed.c_str());
      clickButton(dialog, button);
    });
  }

  std::string shown_;
};

TEST_F(AddressDialogRun, OkStoresTheEditedListAndShowsTheStoredOneFirst) {
  store("10.1.2.3");
  EXPECT_EQ(typeAndClick("10.1.2.3, k4.example.net 192.0.2.7", IDOK), 1);
  EXPECT_EQ(shown_, "10.1.2.3");
  EXPECT_EQ(stored(), "10.1.2.3, k4.example.net 192.0.2.7");
}

TEST_F(AddressDialogRun, OkWithTheTextUnchangedEndsWithOkAndKeepsIt) {
  store("k4.example.net");
  EXPECT_EQ(run([](HWND dialog) { clickButton(dialog, IDOK); }), 1);
  EXPECT_EQ(stored(), "k4.example.net");
}

TEST_F(AddressDialogRun, WithoutAStoredListTheBoxIsEmptyAndOkWritesAnEmptyValue) {
  EXPECT_EQ(typeAndClick("", IDOK), 1);
  EXPECT_EQ(shown_, "");
  EXPECT_EQ(stored(), "");  // the key now exists, empty

  store("10.1.2.3");
  EXPECT_EQ(typeAndClick("", IDOK), 1);
  EXPECT_EQ(stored(), "");
}

TEST_F(AddressDialogRun, TextBeyond127CharactersIsStoredCut) {
  const std::string typed = letters(130);
  EXPECT_EQ(typeAndClick(typed, IDOK), 1);
  EXPECT_EQ(stored(), typed.substr(0, 127));
}

TEST_F(AddressDialogRun, StoredListBeyond127CharactersIsShownCutAndCancelLeavesItWhole) {
  const std::string longList = letters(130);
  store(longList);
  EXPECT_EQ(typeAndClick("edited", IDCANCEL), 2);
  EXPECT_EQ(shown_, longList.substr(0, 127));
  EXPECT_EQ(stored(), longList);
}

TEST_F(AddressDialogRun, CancelAfterEditingWritesNothing) {
  store("10.1.2.3");
  EXPECT_EQ(typeAndClick("192.0.2.99", IDCANCEL), 2);
  EXPECT_EQ(stored(), "10.1.2.3");

  erase();
  EXPECT_EQ(typeAndClick("192.0.2.99", IDCANCEL), 2);
  EXPECT_EQ(stored(), kMissing);
}

TEST_F(AddressDialogRun, EnterActsAsOkAndEscapeAndTheCloseBoxAsCancel) {
  store("old");
  EXPECT_EQ(run([](HWND dialog) {
              SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, "by escape");
              pressKey(dialog, VK_ESCAPE);
            }),
            2);
  EXPECT_EQ(stored(), "old");

  EXPECT_EQ(run([](HWND dialog) {
              SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, "by close box");
              PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }),
            2);
  EXPECT_EQ(stored(), "old");

  EXPECT_EQ(run([](HWND dialog) {
              SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, "by enter");
              pressKey(dialog, VK_RETURN);
            }),
            1);
  EXPECT_EQ(stored(), "by enter");
}

// The dialog is owned by the thread's active window, which stays disabled
// while the dialog is open.
TEST_F(AddressDialogRun, ActiveWindowOwnsTheDialogAndIsDisabledMeanwhile) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "AddressDialogTestOwner";
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowA("AddressDialogTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(owner, nullptr);
  SetActiveWindow(owner);
  ASSERT_EQ(GetActiveWindow(), owner);

  HWND dialogOwner = nullptr;
  BOOL ownerEnabled = TRUE;
  EXPECT_EQ(run([&](HWND dialog) {
              dialogOwner = GetWindow(dialog, GW_OWNER);
              ownerEnabled = IsWindowEnabled(owner);
              clickButton(dialog, IDCANCEL);
            }),
            2);
  EXPECT_EQ(dialogOwner, owner);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

// Each label's text, measured in the dialog's font, fits the label on one
// line, and every control lies inside the dialog, the buttons below the
// labels and the edit box. Under Wine the stand-in for the template's font
// is wider than the template allows for.
TEST_F(AddressDialogRun, EveryLabelShowsItsWholeTextInsideTheDialog) {
  struct Control {
    std::string kind, text;
    RECT place;
    int textWidth;
  };
  std::vector<Control> controls;
  RECT client{};
  EXPECT_EQ(run([&](HWND dialog) {
              GetClientRect(dialog, &client);
              for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                Control control{controlClass(child), "", {}, 0};
                char text[256] = {};
                GetWindowTextA(child, text, sizeof text);
                control.text = text;
                GetWindowRect(child, &control.place);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.place), 2);
                HDC dc = GetDC(child);
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
                SIZE size{};
                GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
                ReleaseDC(child, dc);
                control.textWidth = size.cx;
                controls.push_back(control);
              }
              clickButton(dialog, IDCANCEL);
            }),
            2);
  ASSERT_EQ(controls.size(), 6u);
  LONG lowestAbove = 0;
  for (const Control& c : controls) {
    EXPECT_GE(c.place.left, 0) << c.text;
    EXPECT_LE(c.place.right, client.right) << c.text;
    EXPECT_LE(c.place.bottom, client.bottom) << c.text;
    if (c.kind == "Static") EXPECT_LE(c.textWidth, c.place.right - c.place.left) << c.text;
    if (c.kind != "Button") lowestAbove = std::max(lowestAbove, c.place.bottom);
  }
  for (const Control& c : controls)
    if (c.kind == "Button") EXPECT_GE(c.place.top, lowestAbove) << c.text;
}

TEST_F(AddressDialogRun, ModuleWithoutTheTemplateGivesMinusOneAndWritesNothing) {
  store("10.1.2.3");
  EXPECT_EQ(runAddressDialog(GetModuleHandleA("kernel32.dll")), -1);
  EXPECT_EQ(stored(), "10.1.2.3");
}

}  // namespace
