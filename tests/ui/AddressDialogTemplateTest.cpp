// The address dialog's compiled template, read back from this program's own
// resources (the test links ui/AddressDialog.rc) and checked field by field.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/AddressDialogIds.h"

namespace {

// A name-or-ordinal field of a dialog template: 0xFFFF then an ordinal, or
// a zero-terminated UTF-16 string (empty when the first unit is 0).
struct NameOrOrdinal {
  uint16_t ordinal = 0;
  std::string name;
};

struct Control {
  uint32_t helpId, exStyle, style;
  int16_t x, y, cx, cy;
  int32_t id;
  NameOrOrdinal windowClass;
  NameOrOrdinal text;
  uint16_t extraBytes;
};

struct Dialog {
  uint16_t version, signature;
  uint32_t helpId, exStyle, style;
  uint16_t controlCount;
  int16_t x, y, cx, cy;
  NameOrOrdinal menu, windowClass;
  std::string caption;
  uint16_t pointSize, weight;
  uint8_t italic, charset;
  std::string typeface;
  std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX. The texts here are ASCII, so each UTF-16 unit is
// kept as one char (a unit above 0x7F fails the comparisons, as it should).
class TemplateReader {
 public:
  TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  Dialog readDialog() {
    Dialog d{};
    d.version = read<uint16_t>();
    d.signature = read<uint16_t>();
    d.helpId = read<uint32_t>();
    d.exStyle = read<uint32_t>();
    d.style = read<uint32_t>();
    d.controlCount = read<uint16_t>();
    d.x = read<int16_t>(), d.y = read<int16_t>(), d.cx = read<int16_t>(), d.cy = read<int16_t>();
    d.menu = readNameOrOrdinal();
    d.windowClass = readNameOrOrdinal();
    d.caption = readString();
    if (d.style & DS_SETFONT) {
      d.pointSize = read<uint16_t>();
      d.weight = read<uint16_t>();
      d.italic = read<uint8_t>();
      d.charset = read<uint8_t>();
      d.typeface = readString();
    }
    for (int i = 0; i < d.controlCount; ++i) d.controls.push_back(readControl());
    return d;
  }

  size_t position() const { return pos_; }

 private:
  Control readControl() {
    pos_ = (pos_ + 3) & ~size_t(3);  // each item starts on a DWORD boundary
    Control c{};
    c.helpId = read<uint32_t>();
    c.exStyle = read<uint32_t>();
    c.style = read<uint32_t>();
    c.x = read<int16_t>(), c.y = read<int16_t>(), c.cx = read<int16_t>(), c.cy = read<int16_t>();
    c.id = read<int32_t>();
    c.windowClass = readNameOrOrdinal();
    c.text = readNameOrOrdinal();
    c.extraBytes = read<uint16_t>();
    pos_ += c.extraBytes;
    return c;
  }

  template <typename T>
  T read() {
    T value{};
    if (pos_ + sizeof(T) > size_) throw std::out_of_range("template ends early");
    std::memcpy(&value, data_ + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }

  NameOrOrdinal readNameOrOrdinal() {
    NameOrOrdinal field;
    if (peek() == 0xFFFF) {
      pos_ += 2;
      field.ordinal = read<uint16_t>();
    } else {
      field.name = readString();
    }
    return field;
  }

  std::string readString() {
    std::string text;
    for (uint16_t unit = read<uint16_t>(); unit != 0; unit = read<uint16_t>()) text += static_cast<char>(unit);
    return text;
  }

  uint16_t peek() {
    size_t at = pos_;
    uint16_t unit = read<uint16_t>();
    pos_ = at;
    return unit;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct Resource {
  const uint8_t* data = nullptr;
  DWORD size = 0;
};

Resource findResource(int id, int type) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
  if (!found) return {};
  return {static_cast<const uint8_t*>(LockResource(LoadResource(self, found))), SizeofResource(self, found)};
}

constexpr int kDialogType = 5;      // RT_DIALOG
constexpr int kDialogInitType = 240;  // RT_DLGINIT
constexpr uint16_t kButtonClass = 0x80, kEditClass = 0x81, kStaticClass = 0x82;
constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedControl {
  uint16_t windowClass;
  int32_t id;
  int16_t x, y, cx, cy;
  uint32_t style;
  const char* text;
};

const ExpectedControl kExpectedControls[] = {
    {kButtonClass, IDOK, 150, 72, 50, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, "OK"},
    {kButtonClass, IDCANCEL, 210, 72, 50, 14, kChild | WS_TABSTOP, "Cancel"},
    {kStaticClass, -1, 15, 57, 232, 8, kChild | WS_GROUP,
     "Locally networked rigs are found by UDP and need not be entered here."},
    {kEditClass, IDC_K4IPADDRESSES, 7, 20, 247, 14, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, ""},
    {kStaticClass, -1, 7, 7, 172, 8, kChild | WS_GROUP, "Remote IP addresses, separated by comma or space:"},
    {kStaticClass, -1, 15, 44, 174, 8, kChild | WS_GROUP,
     "Either numeric IPs (version 4) or DNS names are valid."},
};

class AddressDialogTemplate : public ::testing::Test {
 protected:
  void SetUp() override {
    Resource resource = findResource(IDD_K4IPADDRESSES, kDialogType);
    ASSERT_NE(resource.data, nullptr) << "dialog template 201 is missing";
    TemplateReader reader(resource.data, resource.size);
    dialog_ = reader.readDialog();
    EXPECT_LE(reader.position(), resource.size);
  }

  Dialog dialog_;
};

TEST_F(AddressDialogTemplate, DialogIsExtendedWithCaptionStyleAndSize) {
  EXPECT_EQ(dialog_.version, 1);
  EXPECT_EQ(dialog_.signature, 0xFFFF);
  EXPECT_EQ(dialog_.helpId, 0u);
  EXPECT_EQ(dialog_.exStyle, 0u);
  EXPECT_EQ(dialog_.style, 0x80C800C0u);
  EXPECT_EQ(dialog_.style, uint32_t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(dialog_.x, 0);
  EXPECT_EQ(dialog_.y, 0);
  EXPECT_EQ(dialog_.cx, 267);
  EXPECT_EQ(dialog_.cy, 93);
  EXPECT_EQ(dialog_.menu.ordinal, 0);
  EXPECT_EQ(dialog_.menu.name, "");
  EXPECT_EQ(dialog_.windowClass.ordinal, 0);
  EXPECT_EQ(dialog_.windowClass.name, "");
  EXPECT_EQ(dialog_.caption, "Quillbox K4 IP Addresses");
}

TEST_F(AddressDialogTemplate, FontIsShellDialogEightPoint) {
  EXPECT_EQ(dialog_.pointSize, 8);
  EXPECT_EQ(dialog_.weight, 400);
  EXPECT_EQ(dialog_.italic, 0);
  EXPECT_EQ(dialog_.charset, 1);
  EXPECT_EQ(dialog_.typeface, "MS Shell Dlg");
}

TEST_F(AddressDialogTemplate, ControlsInTabOrderWithExactGeometryStylesAndTexts) {
  ASSERT_EQ(dialog_.controlCount, std::size(kExpectedControls));
  for (size_t i = 0; i < std::size(kExpectedControls); ++i) {
    const ExpectedControl& want = kExpectedControls[i];
    const Control& got = dialog_.controls[i];
    SCOPED_TRACE("control " + std::to_string(i + 1) + " \"" + want.text + "\"");
    EXPECT_EQ(got.windowClass.ordinal, want.windowClass);
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
    EXPECT_EQ(got.exStyle, 0u);
    EXPECT_EQ(got.helpId, 0u);
    EXPECT_EQ(got.text.ordinal, 0);
    EXPECT_EQ(got.text.name, want.text);
    EXPECT_EQ(got.extraBytes, 0);
  }
}

TEST(AddressDialogInitData, IsEmpty) {
  Resource resource = findResource(IDD_K4IPADDRESSES, kDialogInitType);
  ASSERT_NE(resource.data, nullptr) << "dialog-initialisation resource 201 is missing";
  ASSERT_EQ(resource.size, 2u);
  EXPECT_EQ(resource.data[0], 0);  // only the terminating zero word
  EXPECT_EQ(resource.data[1], 0);
}

}  // namespace
