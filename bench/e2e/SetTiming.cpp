#include "SetTiming.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <thread>

#include "Polling.h"

namespace e2e {
namespace {

constexpr SHORT kUsb = 2;
// The rig gives up on a confirmation after 1.5 s and polls anyway.
constexpr double kSetTimeoutMicros = 1.4e6;

// Consecutive Sets of a series, and the two series, use different values.
double frequencyKhz(double base, int i) { return base + i % 300; }

int64_t hertz(double khz) { return static_cast<int64_t>(khz * 1000.0 + 0.5); }

void set(IQbRig* rig, double khz) {
    LONG hint = 0;
    expectOk(rig->Set(khz, khz, kUsb, 0, 0, &hint), "Set");
}

// Checks and Launches in turn until a Launch sends a poll again, which it
// does once a Check has taken the Set's "KS" confirmation.
void awaitConfirmation(IQbRig* rig) {
    for (LONG hint = 0; hint != kCheckAgain;) {
        std::this_thread::yield();
        expectOk(rig->Check(&hint), "Check");
        expectOk(rig->Launch(&hint), "Launch");
    }
}

}  // namespace

std::vector<double> timeSetApplied(IQbRig* rig, k4sim::Radio& radio, int count) {
    std::vector<double> micros;
    for (int i = 0; i < count; ++i) {
        const double khz = frequencyKhz(8000.0, i);
        radio.clearRecord();
        const Clock::time_point start = Clock::now();
        set(rig, khz);
        if (!radio.waitForCommands(1, std::chrono::seconds(2))) throw std::runtime_error("the radio got no Set");
        micros.push_back(microsSince(start));
        if (radio.state().vfoA != hertz(khz)) throw std::runtime_error("the radio took another frequency");
        awaitConfirmation(rig);
        checkWhileHinted(rig, CheckPace::yield);
    }
    return micros;
}

SetSeries timeSetConfirmed(IQbRig* rig, int count) {
    SetSeries series;
    for (int i = 0; i < count; ++i) {
        const Clock::time_point start = Clock::now();
        set(rig, frequencyKhz(7000.0, i));
        awaitConfirmation(rig);
        const double micros = microsSince(start);
        if (micros > kSetTimeoutMicros)
            ++series.timedOut;
        else
            series.micros.push_back(micros);
        checkWhileHinted(rig, CheckPace::yield);
    }
    return series;
}

}  // namespace e2e
