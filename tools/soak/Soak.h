// The soak run: acts as the logger on 2 to 4 rig slots against k4sim's
// radios while FaultKinds are switched on and off one after another, and
// collects what the final table reports.
//
// Runs on one thread, the host's (a single-threaded apartment under
// Windows); the driver and k4sim have threads of their own.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CallWatch.h"
#include "FaultKinds.h"
#include "ProcessGauge.h"
#include "RigDriver.h"
#include "SimControl.h"

namespace soak {

struct RadioPort {
    std::string name;
    uint16_t port = 0;
};

struct SoakOptions {
    double seconds = 90;
    uint16_t controlPort = 0;
    uint16_t discoveryPort = 9100;
    std::vector<RadioPort> rigs;  // one slot each, from slot 0
    RadioPort spare;              // discovery faults; chosen once in its own slot by control-id
    std::vector<const FaultKind*> kinds;
    unsigned seed = 1;
    bool memoryCheck = true;  // off under a sanitizer, whose allocator grows by design
    std::string procFile;  // names this process's /proc entry (procEntryFrom); empty: /proc/self
};

struct Recovery {
    std::vector<double> ms;
    int episodes = 0;
};

struct GaugeSample {
    double atSeconds = 0;
    ProcessGauge gauge;
};

struct SoakResult {
    CallWatch calls;
    std::map<std::string, Recovery> recovery;  // by fault kind
    std::vector<GaugeSample> samples;          // start, middle, end
    bool memoryCheck = true;
    double seconds = 0;
};

class Soak {
public:
    Soak(SoakOptions options, IRadioChooser* chooser);
    SoakResult run();

private:
    void writeSettings();
    void bindAll();
    // Drives every rig until `until`, with the logger's chooser refreshes.
    void drive(Clock::time_point until);
    void runEpisode(const FaultKind& kind);
    void awaitRigRecovery(RigDriver& rig, const FaultKind& kind);
    void awaitDiscoveryRecovery(const FaultKind& kind);
    // A fresh radio list, as the chooser shows it; checks the saved choices.
    std::vector<std::string> refreshChooser();
    void chooseSpare(const std::vector<std::string>& names);
    void checkSettings();
    void sample(Clock::time_point start);
    bool listIsNormal(const std::vector<std::string>& names) const;

    const SoakOptions options_;
    IRadioChooser* const chooser_;
    SimControl control_;
    std::mt19937 random_;
    SoakResult result_;
    std::vector<std::unique_ptr<RigDriver>> rigs_;
    Clock::time_point runStart_{}, nextRefresh_{}, nextRebind_{};
    std::size_t nextTarget_ = 0;
};

}  // namespace soak
