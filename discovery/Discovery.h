// K4Ip::Discovery, the handle the rig manager holds: starts discovery runs and
// lists the radios that answered, ordered by id. An empty handle does nothing:
// start returns false and discovered an empty list.
//
// The running service holds a reference to itself until stop, so the owner
// calls stop before letting go of its handle.
#pragma once

#include <memory>
#include <vector>

#include "discovery/Discovered.h"

class LogTrail;

namespace K4Ip {

class DiscoveryImpl;

class Discovery {
public:
    Discovery() = default;
    explicit Discovery(std::shared_ptr<LogTrail> log);
    explicit Discovery(std::shared_ptr<DiscoveryImpl> impl);

    // Stops the previous run, forgets the radios found so far, reads the
    // settings and sends the probe; false when the run could not be started.
    bool start();
    // Waits until 500 ms after the last start, then returns the radios.
    std::vector<Discovered> discovered();
    // Ends the current run and joins its thread.
    void stop();

private:
    std::shared_ptr<DiscoveryImpl> impl_;
};

}  // namespace K4Ip
