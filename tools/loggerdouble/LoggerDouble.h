// A logger double: drives one rig object the way the logger drives it, so
// that tests, the soak and the benchmark meet the driver as a contester's
// logger does.
//
// - A timer calls Launch every `timer`.
// - A call that leaves 10 in pTime (or Xmit's 5) starts a run of Checks,
//   10 to 20 ms apart; the run ends at the first call that leaves anything
//   else (a Check that fails leaves -1). A Launch whose timer fires inside a
//   run is part of it: its hint decides whether the run goes on.
// - When a run ends, GetFrequency and GetStatusText are read: that is what
//   the operator is shown.
// - Xmit, Set, TuneFrequency and ClearRIT are called when the test asks,
//   between two steps of the loop; Set leaves the hint unchanged.
//
// Besides the logger's own pattern, two others are kept as rows: a Check at
// once after every Launch, and a Check at every tick before the Launch (the
// patterns the project's tools used before they followed the hints).
//
// Runs on the caller's thread (the host's apartment) only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/Interfaces.h"
#include "tools/loggerdouble/Time.h"

namespace loggerdouble {

inline constexpr Nanos kMillisecond = 1'000'000;
inline constexpr Nanos kSecond = 1'000'000'000;

enum class Pattern {
    Hints,            // Check only while the last call left 10 (or 5)
    LaunchThenCheck,  // a Check at once after every Launch, then as the hints ask
    CheckThenLaunch,  // at every tick a run of Checks first, then the Launch
};

struct Row {
    const char* name;
    Pattern pattern;
    Nanos timer;
};

// The rows every end-to-end rig test runs.
inline constexpr std::array<Row, 4> kRows{{
    {"logger with a 250 ms timer", Pattern::Hints, 250 * kMillisecond},
    {"logger with a 1 s timer", Pattern::Hints, kSecond},
    {"Launch then Check at once", Pattern::LaunchThenCheck, 100 * kMillisecond},
    {"Check then Launch", Pattern::CheckThenLaunch, 100 * kMillisecond},
}};

enum class Method { Launch, Check, Xmit, Set, TuneFrequency, ClearRIT, GetFrequency, GetStatusText, Count };
const char* methodName(Method method);

// What the operator is shown when a run of Checks ends.
struct Shown {
    Nanos at = 0;
    double rcvKHz = 0;
    double xmitKHz = 0;
    SHORT mode = 0;
    SHORT split = 0;
    std::string status;   // GetStatusText's text; empty when the rig reports no error
    HRESULT check = S_OK;  // the last Check of the run
};

class LoggerDouble {
public:
    // Every call to the rig goes through the hook, which must make it and
    // return its HRESULT (the soak times and judges calls this way).
    using CallHook = std::function<HRESULT(Method, const std::function<HRESULT()>&)>;

    // Borrows the rig, which must outlive the double.
    LoggerDouble(IQbRig* rig, Row row, Time& time, uint32_t seed = 1);

    void setCallHook(CallHook hook) { hook_ = std::move(hook); }
    void onShown(std::function<void(const Shown&)> observer) { observer_ = std::move(observer); }

    // Drives the rig until the moment: Launch on the timer (the first at
    // once), Check runs as the hints ask.
    void runUntil(Nanos moment);
    void runFor(Nanos span) { runUntil(time_.now() + span); }
    // Drives the rig until what is shown satisfies `holds`, for at most
    // `limit`; true when it did.
    bool runUntilShown(const std::function<bool(const Shown&)>& holds, Nanos limit);

    // The operator's actions, at the present moment.
    HRESULT xmit(LONG state);
    HRESULT set(double xmitKHz, double rcvKHz, SHORT mode, SHORT split);
    HRESULT tune(LONG amount);
    HRESULT clearRit();

    const std::optional<Shown>& lastShown() const { return lastShown_; }
    bool inRun() const { return nextCheck_.has_value(); }
    // The longest single call of the method so far, measured on the steady clock.
    Nanos longestCall(Method method) const { return longest_[static_cast<size_t>(method)]; }

private:
    bool run(Nanos until, const std::function<bool(const Shown&)>* holds);
    void tick();
    void checkNow();
    void follow(LONG hint);
    void endRun();
    std::string statusText();
    LONG launch();
    HRESULT call(Method method, const std::function<HRESULT()>& body);
    Nanos checkGap();

    IQbRig* rig_;
    Row row_;
    Time& time_;
    std::mt19937 random_;
    CallHook hook_;
    std::function<void(const Shown&)> observer_;
    std::optional<Nanos> nextLaunch_;
    std::optional<Nanos> nextCheck_;
    bool launchAfterRun_ = false;
    bool runActive_ = false;
    HRESULT lastCheck_ = S_OK;
    uint64_t shownCount_ = 0;
    std::optional<Shown> lastShown_;
    std::array<Nanos, static_cast<size_t>(Method::Count)> longest_{};
};

}  // namespace loggerdouble
