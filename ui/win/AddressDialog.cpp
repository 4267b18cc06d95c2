// The remote-address dialog on Windows: a modal dialog from template
// IDD_K4IPADDRESSES whose single edit box shows the stored address list and,
// on OK, stores whatever it holds. The text is not checked here; discovery
// interprets it when it next starts.
//
// Runs entirely on the caller's thread inside DialogBoxIndirectParamA's modal
// loop. No exception may unwind through the system's dialog code, so each
// message handler catches everything.
#include "ui/AddressDialog.h"

#include <windows.h>

#include <string>

#include "settings/Settings.h"
#include "ui/AddressDialogIds.h"
#include "ui/win/FitLabels.h"

namespace {

// Buffer for the edit box's text, terminator included: at most 127
// characters go into and come out of the dialog.
constexpr int kTextCapacity = 128;

const LPCSTR kDialogResourceType = MAKEINTRESOURCEA(5);  // RT_DIALOG, in its 8-bit form

void showStoredAddresses(HWND dialog) {
  try {
    std::string stored = settings::remoteAddresses();
    if (stored.size() >= kTextCapacity) stored.resize(kTextCapacity - 1);
    SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, stored.c_str());
  } catch (...) {
    // The edit box stays empty.
  }
}

void storeEnteredAddresses(HWND dialog) {
  char text[kTextCapacity] = {};
  GetDlgItemTextA(dialog, IDC_K4IPADDRESSES, text, kTextCapacity);
  try {
    settings::setRemoteAddresses(text);
  } catch (...) {
    // A failed store leaves the previous list in effect, as a failed
    // write to the INI file does.
  }
}

INT_PTR CALLBACK handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    try {
      fitLabelsToText(dialog);
    } catch (...) {
      // The labels keep the template's size.
    }
    showStoredAddresses(dialog);
    return TRUE;  // focus goes to the first tab-stop control
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      storeEnteredAddresses(dialog);
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

const DLGTEMPLATE* loadTemplate(HINSTANCE module) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_K4IPADDRESSES), kDialogResourceType);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return nullptr;
  return static_cast<const DLGTEMPLATE*>(LockResource(loaded));
}

}  // namespace

int runAddressDialog(void* module) {
  auto instance = static_cast<HINSTANCE>(module);
  const DLGTEMPLATE* dialogTemplate = loadTemplate(instance);
  if (!dialogTemplate) return -1;
  INT_PTR ended = DialogBoxIndirectParamA(instance, dialogTemplate, GetActiveWindow(), handleMessage, 0);
  return ended == IDOK || ended == IDCANCEL ? static_cast<int>(ended) : -1;
}
