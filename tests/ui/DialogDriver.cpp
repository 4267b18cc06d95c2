#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kTickMs = 20;
constexpr int kGiveUpTicks = 500;  // 10 s

struct Search {
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) == "#32770" && IsWindowVisible(window)) {
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (*search->caption == caption) {
      search->found = window;
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CALLBACK cancelDialog(HWND window, LPARAM) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) == "#32770") EndDialog(window, IDCANCEL);
  return TRUE;
}

}  // namespace

DialogDriver* DialogDriver::current_ = nullptr;

DialogDriver::DialogDriver(std::string caption, Action action)
    : caption_(std::move(caption)), action_(std::move(action)) {
  current_ = this;
  timer_ = SetTimer(nullptr, 0, kTickMs, &DialogDriver::tick);
  EXPECT_NE(timer_, 0u);
}

DialogDriver::~DialogDriver() {
  stop();
  current_ = nullptr;
}

void CALLBACK DialogDriver::tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current_) current_->onTick();
}

void DialogDriver::onTick() {
  Search search{&caption_, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), matchDialog, reinterpret_cast<LPARAM>(&search));
  if (search.found) {
    stop();
    ++actionsRun_;
    action_(search.found);
  } else if (++ticks_ == kGiveUpTicks) {
    stop();
    ADD_FAILURE() << "no visible dialog \"" << caption_ << "\" appeared";
    EnumThreadWindows(GetCurrentThreadId(), cancelDialog, 0);
  }
}

void DialogDriver::stop() {
  if (timer_) KillTimer(nullptr, timer_);
  timer_ = 0;
}

std::string controlText(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}
