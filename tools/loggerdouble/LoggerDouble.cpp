#include "tools/loggerdouble/LoggerDouble.h"

#include <algorithm>

#include "platform/Text.h"

namespace loggerdouble {
namespace {

constexpr LONG kCheckAgain = 10;
constexpr LONG kAfterXmit = 5;
constexpr LONG kUnchanged = -1;
constexpr int kCheckGapLowMs = 10;
constexpr int kCheckGapHighMs = 20;

}  // namespace

const char* methodName(Method method) {
    switch (method) {
        case Method::Launch: return "Launch";
        case Method::Check: return "Check";
        case Method::Xmit: return "Xmit";
        case Method::Set: return "Set";
        case Method::TuneFrequency: return "TuneFrequency";
        case Method::ClearRIT: return "ClearRIT";
        case Method::GetFrequency: return "GetFrequency";
        case Method::GetStatusText: return "GetStatusText";
        case Method::Count: break;
    }
    return "?";
}

LoggerDouble::LoggerDouble(IQbRig* rig, Row row, Time& time, uint32_t seed)
    : rig_(rig), row_(row), time_(time), random_(seed) {}

void LoggerDouble::runUntil(Nanos moment) { run(moment, nullptr); }

bool LoggerDouble::runUntilShown(const std::function<bool(const Shown&)>& holds, Nanos limit) {
    return run(time_.now() + limit, &holds);
}

// One call at a time, whichever is due first: the timer's Launch or the
// next Check of a run.
bool LoggerDouble::run(Nanos until, const std::function<bool(const Shown&)>* holds) {
    if (!nextLaunch_) nextLaunch_ = time_.now();
    for (;;) {
        const bool checkIsNext = nextCheck_ && *nextCheck_ <= *nextLaunch_;
        const Nanos next = checkIsNext ? *nextCheck_ : *nextLaunch_;
        if (next > until) {
            time_.waitUntil(until);
            return false;
        }
        time_.waitUntil(next);
        const uint64_t shownBefore = shownCount_;
        if (checkIsNext) checkNow();
        else tick();
        if (holds && shownCount_ != shownBefore && (*holds)(*lastShown_)) return true;
    }
}

// The timer fires. A tick that comes late (the calls took longer than the
// period) is not made up for: the next one follows a period later.
void LoggerDouble::tick() {
    nextLaunch_ = std::max(*nextLaunch_ + row_.timer, time_.now());
    switch (row_.pattern) {
        case Pattern::Hints:
            follow(launch());
            break;
        case Pattern::LaunchThenCheck:
            launch();
            checkNow();
            break;
        case Pattern::CheckThenLaunch:
            launchAfterRun_ = true;
            checkNow();
            break;
    }
}

void LoggerDouble::checkNow() {
    nextCheck_.reset();
    runActive_ = true;
    LONG hint = kUnchanged;
    lastCheck_ = call(Method::Check, [&] { return rig_->Check(&hint); });
    follow(hint);
}

void LoggerDouble::follow(LONG hint) {
    if (hint == kCheckAgain || hint == kAfterXmit) {
        runActive_ = true;
        const Nanos due = time_.now() + checkGap();
        if (!nextCheck_ || due < *nextCheck_) nextCheck_ = due;
        return;
    }
    nextCheck_.reset();
    if (runActive_) endRun();
}

void LoggerDouble::endRun() {
    runActive_ = false;
    Shown shown;
    shown.at = time_.now();
    shown.check = lastCheck_;
    SHORT primary = 0;
    call(Method::GetFrequency, [&] {
        return rig_->GetFrequency(&shown.xmitKHz, &shown.rcvKHz, &shown.mode, &primary, &shown.split);
    });
    shown.status = statusText();
    lastShown_ = shown;
    ++shownCount_;
    if (observer_) observer_(shown);
    if (launchAfterRun_) {
        launchAfterRun_ = false;
        follow(launch());
    }
}

// The network rig's status line; a rig without IQbRigDisplayInfo (the
// serial one) has none.
std::string LoggerDouble::statusText() {
    com::ComPtr<IQbRigDisplayInfo> info;
    if (rig_->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive())) != S_OK) return {};
    SHORT isError = 0;
    BSTR text = nullptr;
    call(Method::GetStatusText, [&] { return info->GetStatusText(&isError, &text); });
    std::string status = text ? platform::ansiFromBstr(text) : std::string();
    SysFreeString(text);
    return status;
}

LONG LoggerDouble::launch() {
    LONG hint = kUnchanged;
    call(Method::Launch, [&] { return rig_->Launch(&hint); });
    return hint;
}

HRESULT LoggerDouble::xmit(LONG state) {
    LONG hint = kUnchanged;
    const HRESULT hr = call(Method::Xmit, [&] { return rig_->Xmit(state, &hint); });
    follow(hint);
    return hr;
}

// Set leaves the hint as it was: a run goes on or stays ended.
HRESULT LoggerDouble::set(double xmitKHz, double rcvKHz, SHORT mode, SHORT split) {
    LONG hint = kUnchanged;
    return call(Method::Set, [&] { return rig_->Set(xmitKHz, rcvKHz, mode, 0, split, &hint); });
}

HRESULT LoggerDouble::tune(LONG amount) {
    LONG hint = kUnchanged;
    const HRESULT hr = call(Method::TuneFrequency, [&] { return rig_->TuneFrequency(amount, &hint); });
    follow(hint);
    return hr;
}

HRESULT LoggerDouble::clearRit() {
    return call(Method::ClearRIT, [&] { return rig_->ClearRIT(); });
}

HRESULT LoggerDouble::call(Method method, const std::function<HRESULT()>& body) {
    const auto timed = [&] {
        const Nanos start = platform::steadyNow();
        const HRESULT hr = body();
        Nanos& longest = longest_[static_cast<size_t>(method)];
        longest = std::max(longest, platform::steadyNow() - start);
        return hr;
    };
    return hook_ ? hook_(method, timed) : timed();
}

Nanos LoggerDouble::checkGap() {
    std::uniform_int_distribution<int> gap(kCheckGapLowMs, kCheckGapHighMs);
    return gap(random_) * kMillisecond;
}

}  // namespace loggerdouble
