#include "RigDriver.h"

#include <cmath>
#include <cstdio>

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

std::string text(const Reading& r) {
    char line[120];
    std::snprintf(line, sizeof line, "rx %lld Hz, tx %lld Hz, mode %d, split %d", static_cast<long long>(r.rcvHz),
                  static_cast<long long>(r.xmitHz), r.mode, r.split);
    return line;
}

}  // namespace

RigDriver::RigDriver(short slot, std::string radio, CallWatch& calls, SimControl& control, std::mt19937& random)
    : slot_(slot), radio_(std::move(radio)), calls_(calls), control_(control), random_(random) {}

void RigDriver::bind(IRadioChooser* chooser, short choice) {
    release();
    com::ComPtr<IQbRig> rig;
    const HRESULT hr = calls_.call("GetRigObject", {S_OK, E_FAIL, E_INVALIDARG},
                                   [&] { return chooser->GetRigObject(0, choice, slot_, rig.receive()); });
    if (SUCCEEDED(hr)) rig_ = rig;
    values_.restart();
    polls_ = 0;
    polling_ = false;
    const Clock::time_point now = Clock::now();
    due_ = now;
    nextSet_ = now + std::chrono::milliseconds(random_() % 3000);
    nextXmit_ = now + std::chrono::milliseconds(5000 + random_() % 10000);
    nextTune_ = now + std::chrono::milliseconds(2000 + random_() % 5000);
}

void RigDriver::release() { rig_.reset(); }

void RigDriver::step(Clock::time_point now) {
    if (!rig_ || now < due_) return;
    if (polling_) return check(now);
    if (act(now)) return;
    poll(now);
}

void RigDriver::poll(Clock::time_point now) {
    LONG hint = 0;
    calls_.call("Launch", {S_OK}, [&] { return rig_->Launch(&hint); });
    if (hint != kCheckAgain) {
        due_ = now + kPollGap;
        return;
    }
    // A rig sends a new poll only once the one before was answered in full.
    if (++polls_ == 2) values_.firstPollDone();
    polling_ = true;
    due_ = now + kCheckGap;
}

void RigDriver::check(Clock::time_point now) {
    LONG hint = 0;
    const HRESULT hr = calls_.call("Check", {S_OK, E_FAIL}, [&] { return rig_->Check(&hint); });
    if (hr == S_OK && hint == kCheckAgain) {
        due_ = now + kCheckGap;
        return;
    }
    polling_ = false;
    readFrequency(now);
    due_ = now + kPollGap;
}

void RigDriver::readFrequency(Clock::time_point now) {
    double xmit = 0, rcv = 0;
    SHORT mode = 0, primary = 0, split = 0;
    calls_.call("GetFrequency", {S_OK}, [&] { return rig_->GetFrequency(&xmit, &rcv, &mode, &primary, &split); });
    const Reading reading{hertz(rcv), hertz(xmit), mode, split};
    if (!values_.wrongParts(reading).empty()) {
        control_.addHeld(radio_, values_.held());  // the radio may have moved since the last look
        const std::string wrong = values_.wrongParts(reading);
        if (!wrong.empty())
            calls_.violation(radio_ + ": GetFrequency reported a " + wrong + " the radio never held (" +
                             text(reading) + ")");
    }
    if (recoverySince_ && control_.truth(radio_) == reading) {
        recovered_ = std::chrono::duration<double, std::milli>(now - *recoverySince_).count();
        recoverySince_.reset();
    }
}

bool RigDriver::act(Clock::time_point now) {
    LONG hint = 0;
    if (now >= nextXmit_) {
        transmitting_ = !transmitting_;
        calls_.call("Xmit", {S_OK}, [&] { return rig_->Xmit(transmitting_ ? 1 : 0, &hint); });
        nextXmit_ = now + (transmitting_ ? kTransmitTime : std::chrono::milliseconds(10000 + random_() % 10000));
        return true;
    }
    if (now >= nextSet_) {
        set();
        nextSet_ = now + std::chrono::milliseconds(2000 + random_() % 3000);
        return true;
    }
    if (now >= nextTune_) {
        const LONG amount = random_() % 2 ? 10 : -10;
        calls_.call("TuneFrequency", {S_OK}, [&] { return rig_->TuneFrequency(amount, &hint); });
        nextTune_ = now + std::chrono::milliseconds(4000 + random_() % 5000);
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
    wanted.xmitHz = wanted.split ? wanted.rcvHz + 1000 + random_() % 4000 : wanted.rcvHz;
    wanted.mode = kModes[random_() % 4];
    LONG hint = 0;
    calls_.call("Set", {S_OK}, [&] {
        return rig_->Set(wanted.xmitHz / 1000.0, wanted.rcvHz / 1000.0, static_cast<SHORT>(wanted.mode), 0,
                         static_cast<SHORT>(wanted.split), &hint);
    });
    values_.noteSet(wanted);
}

void RigDriver::startRecovery(Clock::time_point since) {
    recoverySince_ = since;
    recovered_.reset();
}

std::optional<double> RigDriver::takeRecovered() { return std::exchange(recovered_, std::nullopt); }

bool RigDriver::abandonRecovery() { return std::exchange(recoverySince_, std::nullopt).has_value(); }

}  // namespace soak
