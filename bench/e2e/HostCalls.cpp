#include "HostCalls.h"

#include <chrono>
#include <functional>
#include <random>
#include <string>

#include "com/ComPtr.h"

namespace e2e {
namespace {

using loggerdouble::kMillisecond;
using loggerdouble::kSecond;
using loggerdouble::Method;

struct Fault {
    const char* name;
    std::function<void(k4sim::Faults&)> set;  // empty: a reboot of three seconds
};

const Fault kFaults[] = {
    {"late", [](k4sim::Faults& f) { f.latencyMs = 2500; }},
    {"pause", [](k4sim::Faults& f) { f.pauseMs = 400; }},
    {"garbage", [](k4sim::Faults& f) { f.garbage = "xxxxxxxx"; }},
    {"drip", [](k4sim::Faults& f) { f.dripMs = 20; }},
    {"cut", [](k4sim::Faults& f) { f.cut = 20; }},
    {"silent", [](k4sim::Faults& f) { f.silent = true; }},
    {"halfopen", [](k4sim::Faults& f) { f.halfOpen = true; }},
    {"stall", [](k4sim::Faults& f) { f.stall = true; }},
    {"reboot", {}},
};

// The operator's hand: a band-map click, a tuning step, a short over or a
// RIT clear, in turn.
class Operator {
public:
    explicit Operator(loggerdouble::LoggerDouble& logger) : logger_(logger) {}

    void act() {
        switch (turn_++ % 4) {
            case 0: {
                const double khz = 7000.0 + static_cast<double>(random_() % 300);
                logger_.set(khz, khz, 2, 0);
                break;
            }
            case 1: logger_.tune(random_() % 2 ? 10 : -10); break;
            case 2:
                logger_.xmit(1);
                logger_.runFor(300 * kMillisecond);
                logger_.xmit(0);
                break;
            default: logger_.clearRit(); break;
        }
    }

private:
    loggerdouble::LoggerDouble& logger_;
    std::mt19937 random_{7};
    unsigned turn_ = 0;
};

void drive(loggerdouble::LoggerDouble& logger, Operator& hand, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        logger.runFor(700 * kMillisecond);
        hand.act();
    }
}

// Whether the rig shows its link down (the next refused text may renew it).
bool linkDown(IQbRig* rig) {
    com::ComPtr<IQbRigDisplayInfo> info;
    if (rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())) != S_OK) return false;
    SHORT isError = 0;
    BSTR text = nullptr;
    info->GetStatusText(&isError, &text);
    SysFreeString(text);
    return isError != 0;
}

bool writes(Method method) {
    return method != Method::Check && method != Method::GetFrequency && method != Method::GetStatusText;
}

}  // namespace

HostCallFigures timeHostCallsUnderFaults(IQbRig* rig, k4sim::Simulator& simulator, std::size_t radio,
                                         double faultSeconds) {
    HostCallFigures figures{};
    k4sim::Radio& radioSide = simulator.radio(radio);
    loggerdouble::RealTime time;
    loggerdouble::LoggerDouble logger(rig, loggerdouble::kRows[0], time);
    logger.setCallHook([&](Method method, const std::function<HRESULT()>& call) {
        const int opened = radioSide.linkCounts().opened;
        const bool mayRenew = writes(method) && linkDown(rig);
        const auto start = std::chrono::steady_clock::now();
        const HRESULT hr = call();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        MethodCalls& calls = figures[static_cast<std::size_t>(method)];
        ++calls.calls;
        if (ms > calls.longestMs) calls.longestMs = ms;
        if (mayRenew || radioSide.linkCounts().opened != opened) {
            ++calls.renewals;
        } else {
            if (ms > calls.longestOtherMs) calls.longestOtherMs = ms;
            if (ms > 5.0) ++calls.otherOver5Ms;
        }
        return hr;
    });
    Operator hand(logger);
    for (const Fault& fault : kFaults) {
        if (fault.set) {
            k4sim::Faults faults;
            fault.set(faults);
            radioSide.setFaults(faults);
        } else {
            simulator.reboot(radio, std::chrono::milliseconds(3000));
        }
        drive(logger, hand, faultSeconds);
        radioSide.setFaults(k4sim::Faults{});
        drive(logger, hand, faultSeconds);
    }
    return figures;
}

}  // namespace e2e
