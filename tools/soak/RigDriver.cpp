#include "RigDriver.h"

#include <cmath>

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr LONG kCheckAgain = 10;
constexpr auto kPollGap = 100ms;
constexpr auto kCheckGap = 10ms;
constexpr auto kTransmitTime = 300ms;
const int kBandsKHz[] = {1800, 3500, 7000, 14000, 21000, 28000};
const int kModes[] = {1, 2, 3, 6};  // LSB, USB, CW, DATA

int64_t hertz(double kHz) { return std::llround(kHz * 1000.0); }

std::chrono::milliseconds between(std::mt19937& random, int lowMs, int highMs) {
    return std::chrono::milliseconds(lowMs + static_cast<int>(random() % static_cast<unsigned>(highMs - lowMs)));
}

}  // namespace

RigDriver::RigDriver(short slot, RadioSide& radio, CallWatch& calls, std::mt19937& random)
    : slot_(slot), radio_(radio), calls_(calls), random_(random) {}

std::function<bool()> RigDriver::linkMayBeDown() {
    return [this] { return radio_.linkMayBeDown(); };
}

HRESULT RigDriver::bind(IRadioChooser* chooser, short choice, bool savedListed) {
    release();
    com::ComPtr<IQbRig> rig;
    const bool mayFail = choice < 0 && !savedListed;
    const HRESULT hr = calls_.call(
        "GetRigObject", {S_OK, mayFail ? E_FAIL : S_OK}, [&] { return chooser->GetRigObject(0, choice, slot_, rig.receive()); },
        linkMayBeDown());
    if (hr == S_OK) rig_ = rig;
    radio_.fetchHistory();
    check_.bound(radio_.history().lastSeq());
    polling_ = false;
    const TimePoint now = Clock::now();
    due_ = now;
    nextSet_ = now + between(random_, 0, 3000);
    nextXmit_ = now + between(random_, 5000, 15000);
    nextTune_ = now + between(random_, 2000, 7000);
    nextClear_ = now + between(random_, 5000, 15000);
    return hr;
}

void RigDriver::step(TimePoint now) {
    if (!rig_ || now < due_) return;
    if (polling_) return check(now);
    if (act(now)) return;
    poll(now);
}

void RigDriver::poll(TimePoint now) {
    radio_.fetchHistory();
    LONG hint = 0;
    calls_.call("Launch", {S_OK}, [&] { return rig_->Launch(&hint); }, linkMayBeDown());
    polling_ = true;  // at least one Check follows every Launch, which takes a Set's confirmation in
    due_ = now + kCheckGap;
    if (hint != kCheckAgain) return;
    const int answeredBefore = check_.answeredPolls();
    const std::string violation = check_.pollSent(now, Clock::now(), radio_.history());
    if (!violation.empty()) calls_.violation(radio_.name() + ": " + violation);
    answeredInAll_ += check_.answeredPolls() - answeredBefore;
    radio_.history().forgetBefore(check_.oldestNeeded());
}

void RigDriver::check(TimePoint now) {
    LONG hint = 0;
    const HRESULT hr = calls_.call("Check", {S_OK, E_FAIL}, [&] { return rig_->Check(&hint); });
    if (hr == E_FAIL && !radio_.linkMayBeDown())
        calls_.violation(radio_.name() + ": Check returned E_FAIL while the radio had a connection and no link fault");
    if (hr == S_OK && hint == kCheckAgain) {
        due_ = now + kCheckGap;
        return;
    }
    polling_ = false;
    readFrequency(now);
    due_ = now + kPollGap;
}

void RigDriver::readFrequency(TimePoint now) {
    double xmit = 0, rcv = 0;
    SHORT mode = 0, primary = 0, split = 0;
    calls_.call("GetFrequency", {S_OK}, [&] { return rig_->GetFrequency(&xmit, &rcv, &mode, &primary, &split); });
    const Reading reading{hertz(rcv), hertz(xmit), mode, split};
    judge(reading);
    if (target_ && reading == *target_) {
        seenMs_ = std::chrono::duration<double, std::milli>(now - targetSince_).count();
        target_.reset();
    }
}

void RigDriver::judge(const Reading& reading) {
    if (check_.judge(reading, radio_.history()).empty()) return;
    radio_.fetchHistory();  // the radio may have moved since the last look
    const std::string wrong = check_.judge(reading, radio_.history());
    if (!wrong.empty())
        calls_.violation(radio_.name() + ": GetFrequency reported " + wrong + " (" + describe(reading) + ")");
}

bool RigDriver::act(TimePoint now) {
    LONG hint = 0;
    if (now >= nextXmit_ && (transmitting_ || keyingAllowed_)) {
        transmitting_ = !transmitting_;
        check_.xmitCalled(now, transmitting_);
        calls_.call("Xmit", {S_OK}, [&] { return rig_->Xmit(transmitting_ ? 1 : 0, &hint); }, linkMayBeDown());
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
        calls_.call("TuneFrequency", {S_OK}, [&] { return rig_->TuneFrequency(amount, &hint); }, linkMayBeDown());
        nextTune_ = now + between(random_, 4000, 9000);
        return true;
    }
    if (now >= nextClear_) {
        calls_.call("ClearRIT", {S_OK}, [&] { return rig_->ClearRIT(); }, linkMayBeDown());
        nextClear_ = now + between(random_, 5000, 15000);
        return true;
    }
    return false;
}

// A band-map click: a frequency on a 10 Hz grid in one of the contest
// bands, now and then split with the transmit frequency a few kHz up.
void RigDriver::set() {
    Reading wanted;
    wanted.rcvHz = (kBandsKHz[random_() % 6] + static_cast<int64_t>(random_() % 300)) * 1000 + random_() % 100 * 10;
    wanted.split = random_() % 10 < 3 ? 1 : 0;
    wanted.xmitHz = wanted.split ? wanted.rcvHz + 1000 + random_() % 400 * 10 : wanted.rcvHz;
    wanted.mode = kModes[random_() % 4];
    radio_.fetchHistory();
    check_.setCalled(Clock::now(), wanted, radio_.history().lastSeq());
    LONG hint = 0;
    calls_.call("Set", {S_OK}, [&] {
        return rig_->Set(wanted.xmitHz / 1000.0, wanted.rcvHz / 1000.0, static_cast<SHORT>(wanted.mode), 0,
                         static_cast<SHORT>(wanted.split), &hint);
    }, linkMayBeDown());
}

void RigDriver::await(const Reading& target, TimePoint since) {
    target_ = target;
    targetSince_ = since;
    seenMs_.reset();
}

}  // namespace soak
