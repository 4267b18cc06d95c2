#include "RigEpisode.h"

#include <cstdio>

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kProbeLimit = 10s;     // a knob turn between faults shows within this
constexpr auto kRecoveryLimit = 40s;  // ten refused sends at one poll per 2 s, the connect, and a margin
constexpr auto kHoldBeforeEnd = 1s;   // Sets and steps sent before this have reached the radio (or been dropped)
constexpr auto kSettleLimit = 3s;     // turn the knob even when no poll has been answered since the hold
constexpr auto kGap = 1s;
constexpr auto kRebindAfter = 1s;  // the reboot episode reopens the slot this long into the outage

double msSince(TimePoint since, TimePoint now) { return std::chrono::duration<double, std::milli>(now - since).count(); }

int connectionsIn(const std::string& injectAnswer) {
    const auto at = injectAnswer.find("connections=");
    return at == std::string::npos ? 0 : std::stoi(injectAnswer.substr(at + 12));
}

}  // namespace

RigEpisode::RigEpisode(RigDriver& rig, Chooser& chooser, SoakResult& result, Breakage& breakage, std::mt19937& random,
                       TimePoint runStart)
    : rig_(rig), chooser_(chooser), result_(result), breakage_(breakage), random_(random), runStart_(runStart) {}

bool RigEpisode::ready(TimePoint now) const {
    return phase_ == Phase::idle && now >= nextFault_ && !rig_.transmitting() && !rig_.awaiting();
}

void RigEpisode::start(const FaultKind& kind, TimePoint now) {
    RadioSide& radio = rig_.radio();
    std::printf("  %6.1f s  %-16s on %s\n", msSince(runStart_, now) / 1000, kind.name, radio.name().c_str());
    std::fflush(stdout);
    kind_ = &kind;
    facts_ = {};
    rebound_ = false;
    rig_.allowKeying(false);
    facts_.atOn = radio.observeLink(now);
    radio.fetchHistory();
    seqAtOn_ = radio.history().lastSeq() + 1;
    facts_.injectedConnections = connectionsIn(radio.request(kind.on));
    if (kind.mayDropLink) radio.link().faultOn(now);
    breakage_.faultBegins(rig_.slot());
    if (kind.proof == FaultKind::Proof::knobbed) rig_.setSoon();
    since_ = now;
    faultEnd_ = now + std::chrono::milliseconds(kind.durationMs);
    holdAt_ = faultEnd_ - kHoldBeforeEnd;
    phase_ = Phase::faultOn;
}

void RigEpisode::probeAfterBind(TimePoint now) { beginProbe(now, true); }

void RigEpisode::tick(TimePoint now) {
    switch (phase_) {
    case Phase::idle:
        rig_.allowKeying(true);
        if (now >= nextProbe_) beginProbe(now, false);
        return;
    case Phase::settling:
        if (rig_.answeredPolls() >= answeredAtHold_ + 2 || now - since_ >= kSettleLimit) {
            rig_.await(rig_.radio().turnKnobFresh(random_), Clock::now());
            since_ = now;
            phase_ = Phase::probing;
        }
        return;
    case Phase::probing:
        return tickProbe(now);
    case Phase::faultOn:
        return tickFault(now);
    case Phase::recovering:
        if (rig_.awaiting() && now - since_ <= kRecoveryLimit) return;
        return endEpisode(now);
    }
}

// Between faults, or after a bind: hold the Sets and steps until a poll
// sent after the hold has been answered (so that none is still on its way
// to the radio), then turn the knob.
void RigEpisode::beginProbe(TimePoint now, bool afterBind) {
    rig_.hold(true);
    answeredAtHold_ = rig_.answeredPolls();
    probeAfterBind_ = afterBind;
    since_ = now;
    phase_ = Phase::settling;
}

void RigEpisode::tickProbe(TimePoint now) {
    if (const auto ms = rig_.takeSeen()) {
        (probeAfterBind_ ? result_.bindMs : result_.lagMs[rig_.radio().name()]).push_back(*ms);
        return toIdle(now);
    }
    if (now - since_ <= kProbeLimit) return;
    result_.calls.violation(rig_.radio().name() + (probeAfterBind_ ? ": GetFrequency did not show the radio's knob within 10 s after binding"
                                                                   : ": GetFrequency did not show a knob turn within 10 s"));
    rig_.stopAwaiting();
    toIdle(now);
}

void RigEpisode::toIdle(TimePoint now) {
    rig_.hold(false);
    phase_ = Phase::idle;
    nextProbe_ = now + std::chrono::milliseconds(3000 + random_() % 5000);
}

void RigEpisode::tickFault(TimePoint now) {
    if (now >= holdAt_) rig_.hold(true);
    if (kind_->target == FaultKind::Target::rig && std::string(kind_->name) == "reboot" && !rebound_ &&
        now - since_ >= kRebindAfter) {
        // The logger reopens the slot while the radio refuses connections: S_OK all the same.
        rig_.bind(chooser_.get(), -1, chooser_.choiceOf(rig_.radio().identity().chooserName()) != 0);
        rebound_ = true;
    }
    if (now >= faultEnd_) endFault(now);
}

void RigEpisode::endFault(TimePoint now) {
    RadioSide& radio = rig_.radio();
    facts_.atOff = radio.observeLink(now);
    radio.fetchHistory();
    facts_.faultKnobSeen = radio.history().lastOfCause('f') >= seqAtOn_;
    if (*kind_->off) radio.request(kind_->off);
    if (kind_->mayDropLink) radio.link().faultOff(now);
    rig_.hold(true);
    rig_.await(radio.turnKnobFresh(random_), now);
    since_ = now;
    phase_ = Phase::recovering;
}

void RigEpisode::endEpisode(TimePoint now) {
    RadioSide& radio = rig_.radio();
    KindResult& kind = result_.kinds[kind_->name];
    ++kind.episodes;
    if (const auto ms = rig_.takeSeen()) {
        kind.recoveryMs.push_back(*ms);
    } else {
        ++kind.gaveUp;
        rig_.stopAwaiting();
        result_.calls.violation(radio.name() + ": GetFrequency did not show the radio's state within 40 s after " +
                                kind_->name);
    }
    facts_.atEnd = radio.observeLink(now);
    const std::string missing = missingProof(*kind_, facts_);
    if (missing.empty()) ++kind.effective;
    else kind.lastMissing = missing;
    breakage_.episodeEnded();
    toIdle(now);
    nextProbe_ = nextFault_ = now + kGap;  // a knob turn between every two faults
}

}  // namespace soak
