#include "DiscoveryEpisode.h"

#include <cstdio>

#include "SettingsCheck.h"

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kLookEvery = 1s;
constexpr auto kGap = 20s;

}  // namespace

DiscoveryEpisode::DiscoveryEpisode(RadioSide& spare, Chooser& chooser, SoakResult& result, short spareSlot,
                                   std::string settingsPath, TimePoint runStart)
    : spare_(spare), chooser_(chooser), result_(result), spareSlot_(spareSlot), settingsPath_(std::move(settingsPath)),
      runStart_(runStart) {}

void DiscoveryEpisode::start(const FaultKind& kind, TimePoint now) {
    std::printf("  %6.1f s  %-16s on %s\n", std::chrono::duration<double>(now - runStart_).count(), kind.name,
                spare_.name().c_str());
    std::fflush(stdout);
    kind_ = &kind;
    facts_ = {};
    looked_ = false;
    spare_.request(kind.on);
    since_ = nextLook_ = now;
    end_ = now + std::chrono::milliseconds(kind.durationMs);
    phase_ = Phase::on;
}

void DiscoveryEpisode::tick(TimePoint now) {
    if (phase_ == Phase::idle || now < nextLook_) return;
    if (phase_ == Phase::on) {
        if (!looked_) look(now);
        if (now < end_) return;
        if (*kind_->off) spare_.request(kind_->off);
        since_ = nextLook_ = Clock::now();
        phase_ = Phase::recovering;
        return;
    }
    chooser_.refresh();
    nextLook_ = now + kLookEvery;
    if (chooser_.lastIsNormal()) return end(Clock::now(), true);
    if (now - since_ > std::chrono::milliseconds(kind_->recoveryLimitMs)) end(now, false);
}

void DiscoveryEpisode::look(TimePoint now) {
    chooser_.refresh();
    looked_ = true;
    nextLook_ = now + kLookEvery;
    facts_.listAbnormal = !chooser_.lastIsNormal();
    if (kind_->proof == FaultKind::Proof::chosen) chooseSpare();
}

// The spare, its id now with control bytes, chosen for a slot of its own:
// the rig must come with S_OK, and the id must not reach the settings file.
void DiscoveryEpisode::chooseSpare() {
    if (chooser_.choiceOf(spare_.identity().chooserName()) == 0) return;
    facts_.spareBound = chooser_.bindOnce(spare_.identity().chooserName(), spareSlot_) == S_OK;
    facts_.spareKeyAbsent = !settingsHaveKey(settingsPath_, "K4Slot" + std::to_string(spareSlot_ + 1));
}

void DiscoveryEpisode::end(TimePoint now, bool recovered) {
    KindResult& kind = result_.kinds[kind_->name];
    ++kind.episodes;
    if (recovered) {
        kind.recoveryMs.push_back(std::chrono::duration<double, std::milli>(now - since_).count());
    } else {
        ++kind.gaveUp;
        result_.calls.violation("the radio list was not back to normal within " +
                                std::to_string(kind_->recoveryLimitMs / 1000) + " s after " + kind_->name);
    }
    const std::string missing = missingProof(*kind_, facts_);
    if (missing.empty()) ++kind.effective;
    else kind.lastMissing = missing;
    phase_ = Phase::idle;
    next_ = now + kGap;
}

}  // namespace soak
