#include "RigEpisode.h"

#include <cstdio>

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kProbeLimit = 10s;    // a knob turn between faults shows within this
constexpr auto kHoldBeforeEnd = 1s;  // Sets and steps sent before this have reached the radio (or been dropped)
constexpr auto kSettleLimit = 3s;    // turn the knob even when no poll has been answered since the hold
constexpr auto kKeyLimit = 2s;       // a keyed episode begins once the radio transmits, or after this
constexpr auto kOutageLook = 100ms;
constexpr auto kUnkeyAfter = 1s;     // into a half-open fault, whose link stays up
constexpr auto kGap = 1s;
constexpr auto kRebindAfter = 1s;  // the reboot episode reopens the slot this long into the outage
constexpr int kSetBurst = 2200;    // about 100 KB of Sets: more than a radio's connection and the rig's queue hold

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

// The first episode of a kind that may begin keyed does, and every other one after it.
void RigEpisode::start(const FaultKind& kind, TimePoint now) {
    kind_ = &kind;
    facts_ = {};
    rebound_ = false;
    rig_.allowKeying(false);
    KindResult& result = result_.kinds[kind.name];
    keyed_ = kind.has(FaultKind::startsKeyed) && result.keyed * 2 <= result.episodes;
    since_ = now;
    if (!keyed_) return switchOn(now);
    ++result.keyed;
    rig_.key(true);
    phase_ = Phase::keying;
}

void RigEpisode::switchOn(TimePoint now) {
    RadioSide& radio = rig_.radio();
    std::printf("  %6.1f s  %-16s on %s%s\n", msSince(runStart_, now) / 1000, kind_->name, radio.name().c_str(),
                keyed_ ? " (keyed)" : "");
    std::fflush(stdout);
    radio.actions().faultOn(true, kind_->has(FaultKind::ownBytes));
    facts_.atOn = radio.observeLink(now);
    radio.fetch();
    seqAtOn_ = radio.history().lastSeq() + 1;
    facts_.injectedConnections = connectionsIn(radio.request(kind_->on));
    if (kind_->mayDropLink) radio.link().faultOn(now);
    breakage_.faultBegins(rig_.slot());
    if (kind_->proof == FaultKind::Proof::knobbed) rig_.setSoon();
    if (kind_->has(FaultKind::stallsWrites) && !keyed_) rig_.setBurst(kSetBurst);
    since_ = nextLook_ = now;
    faultEnd_ = now + std::chrono::milliseconds(kind_->durationMs);
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
        if (rig_.radio().history().pollsAnswered() >= answeredAtHold_ + 2 || now - since_ >= kSettleLimit) {
            turnAt_ = now + std::chrono::milliseconds(random_() % static_cast<unsigned>(rig_.timerMs()));
            phase_ = Phase::probing;
        }
        return;
    case Phase::probing:
        return tickProbe(now);
    case Phase::keying:
        if (rig_.radio().history().current().transmitting || now - since_ >= kKeyLimit) switchOn(now);
        return;
    case Phase::faultOn:
        return tickFault(now);
    case Phase::recovering:
        if (rig_.awaiting() && now - since_ <= std::chrono::milliseconds(kind_->recoveryLimitMs)) return;
        return endEpisode(now);
    }
}

// Between faults, or after a bind: hold the Sets and steps until a poll
// sent after the hold has been answered (so that none is still on its way
// to the radio), then turn the knob.
void RigEpisode::beginProbe(TimePoint now, bool afterBind) {
    rig_.hold(true);
    answeredAtHold_ = rig_.radio().history().pollsAnswered();
    probeAfterBind_ = afterBind;
    since_ = now;
    phase_ = Phase::settling;
}

// The knob turns at a moment of the operator's choosing, anywhere in the
// rig's timer period.
void RigEpisode::tickProbe(TimePoint now) {
    if (turnAt_) {
        if (now < *turnAt_) return;
        turnAt_.reset();
        rig_.await(rig_.radio().turnKnobFresh(random_), Clock::now());
        since_ = now;
    }
    if (const auto ms = rig_.takeSeen()) {
        if (probeAfterBind_) {
            result_.bindMs.push_back(*ms);
        } else {
            RigLag& lag = result_.lag[rig_.radio().name()];
            lag.timerMs = rig_.timerMs();
            lag.all.push_back(*ms);
            if (!result_.calls.chooserWaitedSince(since_)) lag.outsideChooser.push_back(*ms);
        }
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

// A keyed episode unkeys once the outage shows; the reboot episode reopens
// the slot while the radio refuses connections (but not while an unkey may
// be owed: a rig let go takes it along).
void RigEpisode::tickFault(TimePoint now) {
    if (now >= holdAt_) rig_.hold(true);
    if (keyed_ && rig_.transmitting() && inOutage(now)) {
        rig_.key(false);
        if (kind_->has(FaultKind::stallsWrites)) rig_.setBurst(kSetBurst);
    }
    if (std::string(kind_->name) == "reboot" && !keyed_ && !rebound_ && now - since_ >= kRebindAfter) {
        // S_OK all the same.
        rig_.bind(chooser_.get(), -1, chooser_.choiceOf(rig_.radio().identity().chooserName()) != 0);
        rebound_ = true;
    }
    if (now >= faultEnd_) endFault(now);
}

// The half-open link stays up (the unkey is written to a radio that no
// longer reads); the others show in k4sim's connections.
bool RigEpisode::inOutage(TimePoint now) {
    if (kind_->has(FaultKind::stallsWrites)) return now - since_ >= kUnkeyAfter;
    if (now < nextLook_) return false;
    nextLook_ = now + kOutageLook;
    const LinkCounts counts = rig_.radio().observeLink(now);
    return counts.open == 0 || counts.opened > facts_.atOn.opened;
}

void RigEpisode::endFault(TimePoint now) {
    RadioSide& radio = rig_.radio();
    if (rig_.transmitting()) rig_.key(false);  // the outage never showed: unkeyed all the same
    facts_.atOff = radio.observeLink(now);
    if (kind_->has(FaultKind::stallsWrites)) {
        facts_.unread = radio.unread();
        std::printf("  %6.1f s  %-16s on %s: %ld bytes left unread\n", msSince(runStart_, now) / 1000, kind_->name,
                    radio.name().c_str(), facts_.unread);
    }
    radio.fetch();
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
        result_.calls.violation(radio.name() + ": GetFrequency did not show the radio's state within " +
                                std::to_string(kind_->recoveryLimitMs / 1000) + " s after " + kind_->name +
                                " (the kind's limit)");
    }
    facts_.atEnd = radio.observeLink(now);
    const std::string missing = missingProof(*kind_, facts_);
    if (missing.empty()) ++kind.effective;
    else kind.lastMissing = missing;
    if (writesStalled(facts_)) ++kind.stalled;
    const std::string relinked = linkNotKept(*kind_, facts_);
    if (!relinked.empty()) result_.calls.violation(radio.name() + ": " + relinked);
    radio.fetch();
    radio.actions().faultOn(false);
    breakage_.episodeEnded(rig_.slot());
    toIdle(now);
    nextProbe_ = nextFault_ = now + kGap;  // a knob turn between every two faults
}

}  // namespace soak
