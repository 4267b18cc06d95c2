#include "Polling.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

namespace e2e {
namespace {

constexpr int kLaunchAttempts = 100;

void pause(CheckPace pace) {
    if (pace == CheckPace::yield) std::this_thread::yield();
}

}  // namespace

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void expectOk(HRESULT hr, const char* call) {
    if (SUCCEEDED(hr)) return;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    throw std::runtime_error(std::string(call) + " failed (" + code + ")");
}

Clock::time_point checkWhileHinted(IQbRig* rig, CheckPace pace) {
    Clock::time_point lastHinted = Clock::now();
    LONG hint = kCheckAgain;
    while (hint == kCheckAgain) {
        pause(pace);
        expectOk(rig->Check(&hint), "Check");
        if (hint == kCheckAgain) lastHinted = Clock::now();
    }
    return lastHinted;
}

void settle(IQbRig* rig) {
    for (int attempt = 0; attempt < kLaunchAttempts; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        LONG hint = 0;
        expectOk(rig->Check(&hint), "Check");
        expectOk(rig->Launch(&hint), "Launch");
        if (hint == kCheckAgain) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            checkWhileHinted(rig, CheckPace::yield);
            return;
        }
    }
    throw std::runtime_error("the rig sends no poll: the radio does not answer");
}

Clock::time_point PollSampler::launch() {
    for (int attempt = 0; attempt < kLaunchAttempts; ++attempt) {
        const Clock::time_point start = Clock::now();
        LONG hint = 0;
        expectOk(rig_->Launch(&hint), "Launch");
        if (hint == kCheckAgain) return start;
        if (pendingInto_) ++incomplete_;
        pendingInto_ = nullptr;
        settle(rig_);
    }
    throw std::runtime_error("the rig sends no poll");
}

void PollSampler::poll(std::vector<double>& into) {
    const Clock::time_point start = launch();
    if (pendingInto_) pendingInto_->push_back(pending_);
    const Clock::time_point end = checkWhileHinted(rig_, pace_);
    pending_ = std::chrono::duration<double, std::micro>(end - start).count();
    pendingInto_ = &into;
}

void PollSampler::finish() {
    launch();
    if (pendingInto_) pendingInto_->push_back(pending_);
    pendingInto_ = nullptr;
    checkWhileHinted(rig_, CheckPace::yield);
}

PollSeries timePolls(IQbRig* rig, CheckPace pace, int count) {
    PollSeries series;
    PollSampler sampler(rig, pace);
    for (int i = 0; i < count; ++i) sampler.poll(series.micros);
    sampler.finish();
    series.incomplete = sampler.incomplete();
    return series;
}

}  // namespace e2e
