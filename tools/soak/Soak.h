// The soak run: acts as the logger on 2 to 4 rig slots against k4sim's
// radios, each slot driven by the logger double (the first two on a 250 ms
// timer, the others on 1 s), while fault episodes run on every slot at once
// (RigEpisode) and on the spare radio (DiscoveryEpisode); opens the chooser
// every 3 minutes and reopens slots from their saved choices as a logger
// does, samples the process between faults, scans the driver's log, and
// collects what the verdict and the final table need. With
// stopOnViolation it ends at the first violation.
//
// Runs on one thread, the host's (a single-threaded apartment under
// Windows); the driver and k4sim have threads of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Breakage.h"
#include "Chooser.h"
#include "DiscoveryEpisode.h"
#include "LogScan.h"
#include "Results.h"
#include "RigDriver.h"
#include "RigEpisode.h"

namespace soak {

struct SoakOptions {
    double seconds = 150;  // new faults start until then, and after it (for a while) until every kind took effect once
    uint16_t controlPort = 0;
    std::vector<RadioIdentity> rigs;  // one slot each, from slot 0
    RadioIdentity spare;              // discovery faults; chosen once in a slot of its own by control-id
    std::vector<const FaultKind*> kinds;
    std::vector<std::string> skipped;
    unsigned seed = 1;
    bool memoryCheck = true;  // off under a sanitizer, whose allocator grows by design
    std::string procFile;     // names this process's /proc entry (procEntryFrom); empty: /proc/self
    BreakKind breakKind = BreakKind::none;
    std::string settingsPath;  // the driver's settings file
    bool stopOnViolation = false;
    Watchdog* watchdog = nullptr;  // hears of every call
};

class Soak {
public:
    // `log` reads the driver's log file; it outlives the soak, so that its
    // owner reads the last entries once the driver has let the file go.
    Soak(SoakOptions options, IRadioChooser* chooser, LogScan& log);
    ~Soak();
    SoakResult run();

private:
    void bindAll(TimePoint now);
    void drive(TimePoint now);
    void startFaults(TimePoint now, bool pastEnd);
    void keepUp(TimePoint now);
    void rebindOne(TimePoint now);
    // One process sample, at `now`.
    void takeSample(TimePoint now);
    double secondsSinceStart(TimePoint now) const;
    bool betweenFaults() const;
    bool everyKindTookEffect() const;
    bool tookEffect(const FaultKind& kind) const;
    // The next kind of the rotation; past the run's end only kinds that
    // have not yet taken effect.
    const FaultKind* nextKind(const std::vector<const FaultKind*>& kinds, std::size_t& next, bool pastEnd) const;
    void refreshChooser();
    void checkSettings();
    void scanLog();

    const SoakOptions options_;
    SoakResult result_;
    SimControl control_;
    std::mt19937 random_;
    Breakage breakage_;
    com::ComPtr<IRadioChooser> chooserRef_;
    Chooser chooser_;
    LogScan& log_;
    TimePoint runStart_;
    std::vector<std::unique_ptr<RadioSide>> radios_;  // the rigs' radios, then the spare
    std::vector<std::unique_ptr<RigDriver>> rigs_;
    std::vector<std::unique_ptr<RigEpisode>> episodes_;
    std::unique_ptr<DiscoveryEpisode> discovery_;
    std::vector<const FaultKind*> rigKinds_, discoveryKinds_;
    std::size_t nextRigKind_ = 0, nextDiscoveryKind_ = 0;
    TimePoint nextRefresh_{}, nextRebind_{}, nextSample_{}, nextScan_{};
    bool samplePending_ = true;
    bool stopped() const { return options_.stopOnViolation && result_.calls.anyViolation(); }
};

}  // namespace soak
