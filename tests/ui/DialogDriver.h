// Drives a modal dialog of this thread from inside its own message loop:
// a thread timer, dispatched by the dialog's modal loop, waits until the
// dialog with the given caption is visible and then performs one action on
// it (typing, clicking, posting keys). If the dialog never shows, the driver
// records a test failure and cancels any dialog of the thread, so that the
// test fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class DialogDriver {
 public:
  using Action = std::function<void(HWND dialog)>;

  DialogDriver(std::string caption, Action action);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  int actionsRun() const { return actionsRun_; }

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
  void onTick();
  void stop();

  std::string caption_;
  Action action_;
  UINT_PTR timer_ = 0;
  int ticks_ = 0;
  int actionsRun_ = 0;
  static DialogDriver* current_;
};

// Text of a dialog control, up to 1023 characters.
std::string controlText(HWND dialog, int id);
