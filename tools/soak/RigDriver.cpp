#include "RigDriver.h"

#include <cmath>
#include <cstdio>
#include <thread>

namespace soak {
namespace {

using namespace std::chrono_literals;
using loggerdouble::Method;

constexpr auto kTransmitTime = 300ms;
constexpr int kBurstGroup = 50;
constexpr auto kBurstPause = 2ms;
const int kBandsKHz[] = {1800, 3500, 7000, 14000, 21000, 28000};
const int kModes[] = {1, 2, 3, 6};  // LSB, USB, CW, DATA

int64_t hertz(double kHz) { return std::llround(kHz * 1000.0); }

std::chrono::milliseconds between(std::mt19937& random, int lowMs, int highMs) {
    return std::chrono::milliseconds(lowMs + static_cast<int>(random() % static_cast<unsigned>(highMs - lowMs)));
}

bool sends(Method method) {
    return method == Method::Launch || method == Method::Set || method == Method::Xmit ||
           method == Method::TuneFrequency || method == Method::ClearRIT;
}

// A band-map click: a frequency on a 10 Hz grid in one of the contest
// bands, now and then (or always) split with the transmit frequency a few kHz up.
Reading randomClick(std::mt19937& random, bool split = false) {
    Reading wanted;
    wanted.rcvHz = (kBandsKHz[random() % 6] + static_cast<int64_t>(random() % 300)) * 1000 + random() % 100 * 10;
    wanted.split = split || random() % 10 < 3 ? 1 : 0;
    wanted.xmitHz = wanted.split ? wanted.rcvHz + 1000 + random() % 400 * 10 : wanted.rcvHz;
    wanted.mode = kModes[random() % 4];
    return wanted;
}

}  // namespace

RigDriver::RigDriver(short slot, RadioSide& radio, CallWatch& calls, std::mt19937& random, loggerdouble::Row row)
    : slot_(slot), radio_(radio), calls_(calls), random_(random), row_(row) {}

RigDriver::~RigDriver() = default;

std::function<bool()> RigDriver::linkMayBeDown() {
    return [this] { return radio_.linkMayBeDown(); };
}

HRESULT RigDriver::bind(IRadioChooser* chooser, short choice, bool savedListed) {
    release();
    const bool mayFail = choice < 0 && !savedListed;
    const RadioPoint at = radio_.point();  // the connections opened from now on are the new rig's
    com::ComPtr<IQbRig> rig;
    const HRESULT hr = calls_.call(
        "GetRigObject", {S_OK, mayFail ? E_FAIL : S_OK}, [&] { return chooser->GetRigObject(0, choice, slot_, rig.receive()); },
        linkMayBeDown());
    if (hr != S_OK || !rig) return hr;
    rig_ = rig;
    check_.bound(at);
    logger_ = std::make_unique<loggerdouble::LoggerDouble>(rig_.get(), row_, time_, static_cast<uint32_t>(random_()));
    logger_->setCallHook([this](Method method, const std::function<HRESULT()>& body) { return hooked(method, body); });
    logger_->onShown([this](const loggerdouble::Shown& s) { shown(s); });
    const TimePoint now = Clock::now();
    nextSet_ = now + between(random_, 0, 3000);
    nextXmit_ = now + between(random_, 5000, 15000);
    nextTune_ = now + between(random_, 2000, 7000);
    nextClear_ = now + between(random_, 5000, 15000);
    return hr;
}

// The logger lets the rig go: its threads are joined inside Release.
void RigDriver::release() {
    if (!rig_) return;
    logger_.reset();
    calls_.call("Release", {S_OK}, [&] {
        rig_.reset();
        return S_OK;
    });
    transmitting_ = false;
}

void RigDriver::step(TimePoint now) {
    if (!rig_) return;
    act(now);
    logger_->runUntil(time_.now());
}

// Before each Launch the radio's side is fetched: what k4sim had answered
// by then is what later readings are judged by.
HRESULT RigDriver::hooked(Method method, const std::function<HRESULT()>& body) {
    if (method == Method::Launch) {
        radio_.fetch();
        check_.launching(radio_.history().lastMark());
    }
    if (method != Method::Check)
        return calls_.call(loggerdouble::methodName(method), {S_OK}, body,
                           sends(method) ? linkMayBeDown() : std::function<bool()>());
    const HRESULT hr = calls_.call("Check", {S_OK, E_FAIL}, body);
    if (hr == E_FAIL && !radio_.linkMayBeDown())
        calls_.violation(radio_.name() + ": Check returned E_FAIL while the radio had a connection and no link fault");
    return hr;
}

void RigDriver::shown(const loggerdouble::Shown& s) {
    const Reading reading{hertz(s.rcvKHz), hertz(s.xmitKHz), s.mode, s.split};
    if (!check_.judge(reading, radio_.history()).empty()) {
        radio_.fetch();  // the radio may have moved since the last look
        const std::string wrong = check_.judge(reading, radio_.history());
        if (!wrong.empty())
            calls_.violation(radio_.name() + ": GetFrequency reported " + wrong + " (" + describe(reading) + ")");
    }
    radio_.history().forgetBefore(check_.oldestNeeded(radio_.history()));
    if (target_ && reading == *target_) {
        seenMs_ = std::chrono::duration<double, std::milli>(Clock::now() - targetSince_).count();
        target_.reset();
    }
}

bool RigDriver::act(TimePoint now) {
    if (now >= nextXmit_ && keyingAllowed_) {
        key(!transmitting_);
        nextXmit_ = now + (transmitting_ ? kTransmitTime : between(random_, 10000, 20000));
        return true;
    }
    if (now >= nextSet_ && !held_) {
        set();
        nextSet_ = now + between(random_, 2000, 5000);
        return true;
    }
    if (now >= nextTune_ && !held_) {
        const LONG amount = random_() % 2 ? 10 : -10;
        radio_.actions().tuneCalled(amount);
        logger_->tune(amount);
        nextTune_ = now + between(random_, 4000, 9000);
        return true;
    }
    if (now >= nextClear_) {
        logger_->clearRit();
        nextClear_ = now + between(random_, 5000, 15000);
        return true;
    }
    return false;
}

// The unkey's moment is taken after the call: a poll answered after it was
// sent after the "RX;", or was the one on its way.
void RigDriver::key(bool on) {
    if (!rig_) return;
    const RadioPoint before = on ? radio_.point() : RadioPoint{};
    transmitting_ = on;
    logger_->xmit(on ? 1 : 0);
    radio_.actions().xmitCalled(on, on ? before : radio_.point());
}

void RigDriver::set() {
    const Reading wanted = randomClick(random_);
    const RadioPoint before = radio_.point();
    check_.setCalled(wanted, before);
    radio_.actions().setCalled(wanted, before);
    logger_->set(wanted.xmitHz / 1000.0, wanted.rcvHz / 1000.0, static_cast<SHORT>(wanted.mode),
                 static_cast<SHORT>(wanted.split));
}

// Enough texts (split Sets, some 45 bytes each) to fill what a radio that
// stopped reading can take in, and the rig's queue behind it; the last
// click is what the rig then shows. They go in groups with a pause between,
// at a pace the rig's connection thread can write them while the radio's
// side takes them in (so that it is the radio that stalls the writes, not
// the rig's own queue filling faster than any link drains it). The burst is
// one of the logger's waits.
void RigDriver::setBurst(int count) {
    if (!rig_) return;
    const RadioPoint before = radio_.point();
    const TimePoint start = Clock::now();
    Reading wanted;
    for (int i = 0; i < count; ++i) {
        if (i % kBurstGroup == kBurstGroup - 1) std::this_thread::sleep_for(kBurstPause);
        wanted = randomClick(random_, true);
        logger_->set(wanted.xmitHz / 1000.0, wanted.rcvHz / 1000.0, static_cast<SHORT>(wanted.mode),
                     static_cast<SHORT>(wanted.split));
    }
    check_.setCalled(wanted, before);
    radio_.actions().setCalled(wanted, before);
    calls_.waited();
    std::printf("  %6s    %d Sets on %s in %.0f ms\n", "", count, radio_.name().c_str(),
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
}

void RigDriver::await(const Reading& target, TimePoint since) {
    target_ = target;
    targetSince_ = since;
    seenMs_.reset();
}

}  // namespace soak
