#include "Soak.h"

#include <algorithm>
#include <thread>

#include "SettingsCheck.h"

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kRefreshEvery = 180s;
constexpr auto kRebindEvery = 45s;
constexpr auto kSampleEvery = 20s;
constexpr auto kScanEvery = 10s;
constexpr auto kDrainLimit = 60s;     // the longest episode's fault and recovery
constexpr auto kEveryKindLimit = 60s;  // past the run's end, for kinds that have not yet taken effect

// Two rigs on a 250 ms timer, the others on 1 s.
loggerdouble::Row rowOf(std::size_t slot) { return loggerdouble::kRows[slot < 2 ? 0 : 1]; }

std::vector<std::string> chooserNames(const SoakOptions& options) {
    std::vector<std::string> names{options.spare.chooserName()};
    for (const auto& rig : options.rigs) names.push_back(rig.chooserName());
    return names;
}

}  // namespace

Soak::Soak(SoakOptions options, IRadioChooser* chooser, LogScan& log)
    : options_(std::move(options)),
      control_(options_.controlPort),
      random_(options_.seed),
      breakage_(options_.breakKind),
      chooserRef_(breakage_.wrap(chooser)),
      chooser_(chooserRef_.get(), result_.calls, chooserNames(options_)),
      log_(log),
      runStart_(Clock::now()) {
    result_.calls.watchBy(options_.watchdog);
    for (const auto& identity : options_.rigs)
        radios_.push_back(std::make_unique<RadioSide>(identity, control_, result_.calls));
    radios_.push_back(std::make_unique<RadioSide>(options_.spare, control_, result_.calls));
    for (std::size_t i = 0; i < options_.rigs.size(); ++i) {
        rigs_.push_back(
            std::make_unique<RigDriver>(static_cast<short>(i), *radios_[i], result_.calls, random_, rowOf(i)));
        episodes_.push_back(
            std::make_unique<RigEpisode>(*rigs_.back(), chooser_, result_, breakage_, random_, runStart_));
    }
    discovery_ = std::make_unique<DiscoveryEpisode>(*radios_.back(), chooser_, result_,
                                                    static_cast<short>(options_.rigs.size()), options_.settingsPath,
                                                    runStart_);
    for (const FaultKind* kind : options_.kinds) {
        (kind->target == FaultKind::Target::rig ? rigKinds_ : discoveryKinds_).push_back(kind);
        result_.kindsRun.push_back(kind->name);
    }
    result_.kindsSkipped = options_.skipped;
    result_.memoryCheck = options_.memoryCheck;
}

Soak::~Soak() = default;

SoakResult Soak::run() {
    const TimePoint end = runStart_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.seconds));
    bindAll(Clock::now());
    for (TimePoint now = Clock::now();
         !stopped() && (now < end || (!everyKindTookEffect() && now < end + kEveryKindLimit)); now = Clock::now()) {
        drive(now);
        startFaults(now, now >= end);
    }
    const TimePoint drained = Clock::now() + kDrainLimit;
    for (TimePoint now = Clock::now(); !stopped() && !betweenFaults() && now < drained; now = Clock::now()) drive(now);
    if (!stopped()) {
        refreshChooser();
        checkSettings();
        takeSample(Clock::now());
    }
    for (auto& rig : rigs_) {
        result_.answeredPolls[rig->radio().name()] = rig->radio().history().pollsAnswered();
        rig->release();
    }
    result_.seconds = secondsSinceStart(Clock::now());
    return std::move(result_);
}

void Soak::bindAll(TimePoint now) {
    refreshChooser();
    for (std::size_t i = 0; i < rigs_.size(); ++i) {
        const std::string& name = options_.rigs[i].chooserName();
        const short choice = chooser_.choiceOf(name);
        if (choice == 0) throw std::runtime_error("discovery did not list " + name);
        rigs_[i]->bind(chooser_.get(), choice, true);
        episodes_[i]->probeAfterBind(now);
    }
    checkSettings();
    nextRefresh_ = now + kRefreshEvery;
    nextRebind_ = now + kRebindEvery;
    nextScan_ = now + kScanEvery;
}

void Soak::drive(TimePoint now) {
    for (std::size_t i = 0; i < rigs_.size(); ++i) {
        rigs_[i]->step(now);
        episodes_[i]->tick(now);
    }
    discovery_->tick(now);
    keepUp(now);
    std::this_thread::sleep_for(1ms);
}

void Soak::startFaults(TimePoint now, bool pastEnd) {
    if (samplePending_) return;
    for (auto& episode : episodes_)
        if (episode->ready(now))
            if (const FaultKind* kind = nextKind(rigKinds_, nextRigKind_, pastEnd)) episode->start(*kind, now);
    if (discovery_->ready(now))
        if (const FaultKind* kind = nextKind(discoveryKinds_, nextDiscoveryKind_, pastEnd)) discovery_->start(*kind, now);
}

const FaultKind* Soak::nextKind(const std::vector<const FaultKind*>& kinds, std::size_t& next, bool pastEnd) const {
    for (std::size_t tried = 0; tried < kinds.size(); ++tried) {
        const FaultKind* kind = kinds[next++ % kinds.size()];
        if (!pastEnd || !tookEffect(*kind)) return kind;
    }
    return nullptr;
}

// What a logger does besides polling, and the soak's own sampling.
void Soak::keepUp(TimePoint now) {
    if (now >= nextSample_) samplePending_ = true;
    if (samplePending_ && betweenFaults()) {
        takeSample(now);
        samplePending_ = false;
        nextSample_ = now + kSampleEvery;
    }
    if (now >= nextRefresh_ && discovery_->betweenFaults()) {
        refreshChooser();
        checkSettings();
        nextRefresh_ = now + kRefreshEvery;
    }
    if (now >= nextRebind_) rebindOne(now);
    if (now >= nextScan_) {
        scanLog();
        nextScan_ = now + kScanEvery;
    }
}

// The logger opens a slot again from its saved choice; only a slot with no
// fault, knob turn or transmission under way, so that no measurement loses
// its rig.
void Soak::rebindOne(TimePoint now) {
    const std::size_t first = random_() % rigs_.size();
    for (std::size_t k = 0; k < rigs_.size(); ++k) {
        const std::size_t i = (first + k) % rigs_.size();
        if (!episodes_[i]->ready(now)) continue;
        rigs_[i]->bind(chooser_.get(), -1, chooser_.choiceOf(options_.rigs[i].chooserName()) != 0);
        episodes_[i]->probeAfterBind(now);
        nextRebind_ = now + kRebindEvery;
        return;
    }
}

void Soak::takeSample(TimePoint now) {
    result_.samples.push_back({secondsSinceStart(now), readProcessGauge(procEntryFrom(options_.procFile))});
}

double Soak::secondsSinceStart(TimePoint now) const { return std::chrono::duration<double>(now - runStart_).count(); }

bool Soak::betweenFaults() const {
    return discovery_->betweenFaults() &&
           std::all_of(episodes_.begin(), episodes_.end(), [](const auto& e) { return e->betweenFaults(); });
}

bool Soak::tookEffect(const FaultKind& kind) const {
    const auto found = result_.kinds.find(kind.name);
    return found != result_.kinds.end() && found->second.effective > 0;
}

bool Soak::everyKindTookEffect() const {
    return std::all_of(options_.kinds.begin(), options_.kinds.end(), [&](const FaultKind* kind) { return tookEffect(*kind); });
}

void Soak::refreshChooser() {
    chooser_.refresh();
    for (auto& rig : rigs_)
        if (rig->bound()) chooser_.checkSaved(rig->slot(), rig->radio().identity().chooserName());
}

void Soak::checkSettings() {
    ChosenIds chosen;
    for (std::size_t i = 0; i < options_.rigs.size(); ++i) chosen[static_cast<int>(i) + 1].insert(options_.rigs[i].id);
    const std::string fault = settingsFault(options_.settingsPath, chosen);
    if (!fault.empty()) result_.calls.violation("the settings file holds " + fault);
}

void Soak::scanLog() { scanDriverLog(log_, result_.calls, false); }

}  // namespace soak
