#include "ui/win/FitLabels.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The margin between the controls and the dialog's right edge, in dialog
// units, as the template keeps it.
constexpr int kRightMarginUnits = 7;

std::string classOf(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> childrenOf(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

// The control's rectangle in the dialog's client coordinates.
RECT placeOf(HWND control, HWND dialog) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

void setPlace(HWND control, const RECT& place) {
  SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The width the label's text takes on one line in the label's font.
int textWidth(HWND label) {
  char text[256] = {};
  GetWindowTextA(label, text, sizeof text);
  HDC dc = GetDC(label);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  RECT bounds{};
  DrawTextA(dc, text, -1, &bounds, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  return bounds.right - bounds.left;
}

// Widens the label to its text; returns its right edge.
LONG widenToText(HWND label, HWND dialog) {
  RECT place = placeOf(label, dialog);
  place.right = std::max<LONG>(place.right, place.left + textWidth(label));
  setPlace(label, place);
  return place.right;
}

void widenDialog(HWND dialog, LONG by) {
  RECT frame{};
  GetWindowRect(dialog, &frame);
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + by, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  for (HWND control : childrenOf(dialog)) {
    const std::string kind = classOf(control);
    if (kind == "Static") continue;
    RECT place = placeOf(control, dialog);
    if (kind == "Button") place.left += by;
    place.right += by;
    setPlace(control, place);
  }
}

}  // namespace

void fitLabelsToText(HWND dialog) {
  LONG rightmost = 0;
  for (HWND control : childrenOf(dialog))
    if (classOf(control) == "Static") rightmost = std::max(rightmost, widenToText(control, dialog));
  RECT margin{0, 0, kRightMarginUnits, 0};
  MapDialogRect(dialog, &margin);
  RECT client{};
  GetClientRect(dialog, &client);
  const LONG missing = rightmost + margin.right - client.right;
  if (missing > 0) widenDialog(dialog, missing);
}
