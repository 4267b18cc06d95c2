#include "tools/qbhost/LiveLine.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "com/ComPtr.h"
#include "platform/Console.h"
#include "platform/Text.h"

namespace qbhost {
namespace {

constexpr auto kCheckDelay = std::chrono::milliseconds(10);
constexpr auto kPollPeriod = std::chrono::milliseconds(100);
constexpr long kCheckAgain = 10;

std::string linkState(IQbRig* rig) {
    com::ComPtr<IQbRigDisplayInfo> info;
    if (FAILED(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive()))))
        return "serial";
    SHORT isError = 0;
    BSTR text = nullptr;
    info->GetStatusText(&isError, &text);
    std::string state = isError ? "link down (" + platform::ansiFromBstr(text) + ")" : "link up";
    SysFreeString(text);
    BSTR name = nullptr;
    if (SUCCEEDED(info->GetRigName(&name))) state = platform::ansiFromBstr(name) + ", " + state;
    SysFreeString(name);
    return state;
}

std::string formatReading(const RigReading& r) {
    char line[160];
    std::snprintf(line, sizeof line, "VFO A %11.3f kHz  VFO B %11.3f kHz  %-4s  split %-3s", r.rxKhz,
                  r.split ? r.txKhz : r.rxKhz, modeName(r.mode), r.split ? "on" : "off");
    return line;
}

}  // namespace

const char* modeName(short mode) {
    static const char* const names[] = {"?", "LSB", "USB", "CW", "FM", "AM", "DATA"};
    return mode >= 1 && mode <= 6 ? names[mode] : names[0];
}

// Like a logger's timer, Check runs at least once per cycle even when Launch
// sent nothing (a pending Set still waits for its confirmation).
bool pollOnce(IQbRig* rig, RigReading* reading) {
    LONG hint = 0;
    rig->Launch(&hint);
    do {
        std::this_thread::sleep_for(kCheckDelay);
        if (FAILED(rig->Check(&hint))) return false;
    } while (hint == kCheckAgain);
    rig->GetFrequency(&reading->txKhz, &reading->rxKhz, &reading->mode, &reading->primaryVfo, &reading->split);
    return true;
}

// On a console the line is rewritten in place; into a pipe or file a line is
// written only when it changes.
bool showLive(IQbRig* rig, double seconds, std::ostream& out) {
    const bool console = platform::isConsole(stdout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool linkUp = true;
    std::string shown;
    do {
        RigReading reading;
        linkUp = pollOnce(rig, &reading);
        const std::string line = formatReading(reading) + "  " + linkState(rig);
        if (console) out << '\r' << line << "   " << std::flush;
        else if (line != shown) out << line << std::endl;
        shown = line;
        std::this_thread::sleep_for(kPollPeriod);
    } while (std::chrono::steady_clock::now() < end);
    if (console) out << '\n';
    return linkUp;
}

}  // namespace qbhost
