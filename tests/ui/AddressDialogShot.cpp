// Shows the address dialog for a screenshot (see address-dialog-shot.sh):
// opens it on a virtual desktop, types a sample address list into it,
// prints "ready X Y WIDTH HEIGHT" (the dialog's rectangle on the screen)
// once it is drawn, waits until the file named by its argument exists, and
// then cancels the dialog, so that nothing is stored.
#include <windows.h>

#include <cstdio>
#include <string>

#include "OwnDesktop.h"
#include "ui/AddressDialog.h"
#include "ui/AddressDialogIds.h"

namespace {

constexpr UINT kTickMs = 50;
constexpr int kGiveUpTicks = 600;  // 30 s
constexpr const char* kSample = "192.0.2.10, k4-remote.example.net 198.51.100.7";

const char* doneFile = nullptr;
HWND dialog = nullptr;
bool announced = false;
int ticks = 0;

BOOL CALLBACK findDialog(HWND window, LPARAM) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  dialog = window;
  return FALSE;
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!dialog) {
    EnumThreadWindows(GetCurrentThreadId(), findDialog, 0);
    if (dialog) SetDlgItemTextA(dialog, IDC_K4IPADDRESSES, kSample);
  } else if (!announced) {
    RECT frame{};
    GetWindowRect(dialog, &frame);
    std::printf("ready %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    std::fflush(stdout);
    announced = true;
  } else if (GetFileAttributesA(doneFile) != INVALID_FILE_ATTRIBUTES) {
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  }
  if (++ticks == kGiveUpTicks && dialog) EndDialog(dialog, IDCANCEL);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DONE-FILE\n", argv[0]);
    return 2;
  }
  doneFile = argv[1];
  if (!useOwnDesktop()) return 1;
  SetTimer(nullptr, 0, kTickMs, tick);
  int ended = runAddressDialog(GetModuleHandleA(nullptr));
  std::printf("ended %d\n", ended);
  return ended == 2 && announced ? 0 : 1;
}
