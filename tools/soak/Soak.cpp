#include "Soak.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "SettingsCheck.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "settings/Settings.h"
#include "tools/comhost/ComHost.h"

namespace soak {
namespace {

using namespace std::chrono_literals;

constexpr auto kWarmUp = 3s;
constexpr auto kGap = 1s;
constexpr auto kRecoveryLimit = 30s;
constexpr auto kRefreshEvery = 20s;
constexpr auto kRebindEvery = 45s;
constexpr auto kDiscoveryRefreshEvery = 1s;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void writeSetting(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(settings::kSection, key.c_str(), value.c_str(), settings::kFile);
}

}  // namespace

Soak::Soak(SoakOptions options, IRadioChooser* chooser)
    : options_(std::move(options)), chooser_(chooser), control_(options_.controlPort), random_(options_.seed) {
    for (std::size_t i = 0; i < options_.rigs.size(); ++i)
        rigs_.push_back(std::make_unique<RigDriver>(static_cast<short>(i), options_.rigs[i].name, result_.calls,
                                                    control_, random_));
}

SoakResult Soak::run() {
    const Clock::time_point start = runStart_ = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.seconds));
    writeSettings();
    bindAll();
    drive(Clock::now() + kWarmUp);
    sample(start);
    bool middleTaken = false;
    for (std::size_t episode = 0; Clock::now() < end && !options_.kinds.empty(); ++episode) {
        runEpisode(*options_.kinds[episode % options_.kinds.size()]);
        drive(Clock::now() + kGap);
        if (!middleTaken && Clock::now() - start >= (end - start) / 2) {
            sample(start);
            middleTaken = true;
        }
    }
    drive(end);
    refreshChooser();
    checkSettings();
    sample(start);
    for (auto& rig : rigs_) rig->release();
    result_.calls.checkLimits();
    result_.seconds = secondsSince(start);
    result_.memoryCheck = options_.memoryCheck;
    return std::move(result_);
}

void Soak::writeSettings() {
    writeSetting("ELECRAFT_K4_PORTNUMBER", std::to_string(options_.discoveryPort));
    for (std::size_t i = 0; i < options_.rigs.size(); ++i)
        writeSetting(settings::tcpPortKey(static_cast<unsigned short>(i)), std::to_string(options_.rigs[i].port));
    writeSetting(settings::tcpPortKey(static_cast<unsigned short>(options_.rigs.size())),
                 std::to_string(options_.spare.port));
}

void Soak::bindAll() {
    const auto names = refreshChooser();
    for (auto& rig : rigs_) {
        const auto found = std::find(names.begin(), names.end(), rig->radio());
        if (found == names.end()) throw std::runtime_error("discovery did not list " + rig->radio());
        rig->bind(chooser_, static_cast<short>(found - names.begin() + 1));
    }
    nextRefresh_ = Clock::now() + kRefreshEvery;
    nextRebind_ = Clock::now() + kRebindEvery;
}

void Soak::drive(Clock::time_point until) {
    while (Clock::now() < until) {
        for (auto& rig : rigs_) rig->step(Clock::now());
        const Clock::time_point now = Clock::now();
        if (now >= nextRefresh_) {
            refreshChooser();
            nextRefresh_ = now + kRefreshEvery;
        } else if (now >= nextRebind_) {
            // The logger opens a slot again from its saved choice.
            auto& rig = *rigs_[random_() % rigs_.size()];
            if (!rig.recovering()) rig.bind(chooser_, -1);
            nextRebind_ = now + kRebindEvery;
        }
        std::this_thread::sleep_for(1ms);
    }
}

void Soak::runEpisode(const FaultKind& kind) {
    const bool onRig = kind.target == FaultKind::Target::rig;
    RigDriver* target = onRig ? rigs_[nextTarget_++ % rigs_.size()].get() : nullptr;
    const std::string radio = onRig ? target->radio() : options_.spare.name;
    std::printf("  %6.1f s  %-16s on %s\n", secondsSince(runStart_), kind.name, radio.c_str());
    std::fflush(stdout);
    control_.ask(requestFor(kind.on, radio));
    const Clock::time_point off = Clock::now() + std::chrono::milliseconds(kind.durationMs);
    bool spareChosen = false;
    while (Clock::now() < off) {
        drive(std::min(off, Clock::now() + kDiscoveryRefreshEvery));
        if (onRig) continue;
        const auto names = refreshChooser();
        if (std::string(kind.name) == "control-id" && !spareChosen) {
            chooseSpare(names);
            spareChosen = true;
        }
    }
    if (*kind.off) control_.ask(requestFor(kind.off, radio));
    if (onRig)
        awaitRigRecovery(*target, kind);
    else
        awaitDiscoveryRecovery(kind);
    if (spareChosen) checkSettings();
}

void Soak::awaitRigRecovery(RigDriver& rig, const FaultKind& kind) {
    Recovery& recovery = result_.recovery[kind.name];
    ++recovery.episodes;
    const Clock::time_point since = Clock::now();
    rig.startRecovery(since);
    while (rig.recovering() && Clock::now() - since < kRecoveryLimit) drive(Clock::now() + 10ms);
    if (rig.abandonRecovery())
        result_.calls.violation(rig.radio() + " did not agree with the radio within 30 s after " + kind.name);
    if (const auto ms = rig.takeRecovered()) recovery.ms.push_back(*ms);
}

void Soak::awaitDiscoveryRecovery(const FaultKind& kind) {
    Recovery& recovery = result_.recovery[kind.name];
    ++recovery.episodes;
    const Clock::time_point since = Clock::now();
    while (Clock::now() - since < kRecoveryLimit) {
        if (listIsNormal(refreshChooser())) {
            recovery.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - since).count());
            return;
        }
        drive(Clock::now() + kDiscoveryRefreshEvery);
    }
    result_.calls.violation(std::string("the radio list was not back to normal within 30 s after ") + kind.name);
}

std::vector<std::string> Soak::refreshChooser() {
    SHORT choices = 0;
    result_.calls.call("GetNumChoices(fresh)", {S_OK}, [&] { return chooser_->GetNumChoices(0, 1, &choices); });
    std::vector<std::string> names;
    for (SHORT i = 1; i < choices; ++i) {
        BSTR name = nullptr;
        const HRESULT hr = result_.calls.call("GetRadioName", {S_OK, E_INVALIDARG},
                                              [&] { return chooser_->GetRadioName(0, i, &name); });
        names.push_back(SUCCEEDED(hr) ? platform::ansiFromBstr(name) : std::string());
        SysFreeString(name);
    }
    for (const auto& rig : rigs_) {
        if (!rig->bound()) continue;
        SHORT saved = 0;
        result_.calls.call("GetSavedChoice", {S_OK}, [&] { return chooser_->GetSavedChoice(0, rig->slot(), &saved); });
        const bool right = saved >= 1 && saved <= static_cast<SHORT>(names.size()) && names[saved - 1] == rig->radio();
        if (!right && listIsNormal(names))
            result_.calls.violation("the saved choice of slot " + std::to_string(rig->slot()) + " is not " +
                                    rig->radio());
    }
    return names;
}

// The spare radio, its id now with control bytes, chosen for a slot of its
// own: the driver saves that id in the settings file.
void Soak::chooseSpare(const std::vector<std::string>& names) {
    const auto found = std::find(names.begin(), names.end(), options_.spare.name);
    if (found == names.end()) return;
    com::ComPtr<IQbRig> rig;
    const auto slot = static_cast<SHORT>(rigs_.size());
    result_.calls.call("GetRigObject", {S_OK, E_FAIL, E_INVALIDARG}, [&] {
        return chooser_->GetRigObject(0, static_cast<SHORT>(found - names.begin() + 1), slot, rig.receive());
    });
}

void Soak::checkSettings() {
    const std::string fault = settingsFileFault(comhost::settingsFilePath());
    if (!fault.empty()) result_.calls.violation("the settings file holds " + fault);
}

void Soak::sample(Clock::time_point start) { result_.samples.push_back({secondsSince(start), readProcessGauge(procEntryFrom(options_.procFile))}); }

bool Soak::listIsNormal(const std::vector<std::string>& names) const {
    std::vector<std::string> normal{options_.spare.name};
    for (const auto& rig : options_.rigs) normal.push_back(rig.name);
    std::vector<std::string> sorted = names;
    std::sort(normal.begin(), normal.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted == normal;
}

}  // namespace soak
