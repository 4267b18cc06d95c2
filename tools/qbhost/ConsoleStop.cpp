#include "tools/qbhost/ConsoleStop.h"

#include <windows.h>

#include <atomic>

namespace qbhost {
namespace {

// Windows ends the process once the handler returns from a close, log-off or
// shut-down event, and allows the handler about 5 s.
constexpr DWORD kCloseWaitMs = 4500;

std::atomic<bool> stopRequested{false};
HANDLE commandFinished = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    stopRequested = true;
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) WaitForSingleObject(commandFinished, kCloseWaitMs);
    return TRUE;
}

}  // namespace

ConsoleStop::ConsoleStop() {
    commandFinished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

ConsoleStop::~ConsoleStop() {
    SetEvent(commandFinished);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

bool ConsoleStop::requested() const { return stopRequested; }

}  // namespace qbhost
