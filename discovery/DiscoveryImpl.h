// The discovery service: each start begins a new run (a UdpSender with its
// own thread) that sends the probe "findk4" to the broadcast address of every
// local subnet at once and to each remote address once it has been looked up
// (RemoteProbes), and records every well-formed answer in radios_, keyed by
// the radio's id.
//
// Concurrency: the owner's thread calls start, discovered and stop and never
// waits for a name lookup; the run's thread calls onResponse; the lookup
// thread of a run only hands endpoints to that run. mutex_ guards radios_ and
// lastStart_ and is never held while sleeping or stopping a run; onResponse
// takes it only to insert a finished record.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/ip/udp.hpp>

#include "discovery/Discovered.h"
#include "discovery/LocalUdpEndpoint.h"
#include "discovery/Targets.h"
#include "platform/SteadyClock.h"

class LogTrail;

namespace K4Ip {

class UdpSender;

class DiscoveryImpl : public std::enable_shared_from_this<DiscoveryImpl> {
public:
    // Sleeps for the given number of nanoseconds.
    using Sleep = std::function<void(platform::Nanos)>;

    // discovered() waits until this long after the last start.
    static constexpr platform::Nanos kSettleTime = 500'000'000;

    explicit DiscoveryImpl(std::shared_ptr<LogTrail> log, platform::Clock clock = platform::steadyClock(),
                           Sleep sleep = realSleep, NameLookup lookup = systemNameLookup());
    ~DiscoveryImpl();
    DiscoveryImpl(const DiscoveryImpl&) = delete;
    DiscoveryImpl& operator=(const DiscoveryImpl&) = delete;

    bool start();
    std::vector<Discovered> discovered();
    void stop();

    // One received datagram, from the run's thread.
    void onResponse(const char* data, unsigned length, const boost::asio::ip::udp::endpoint& from);

private:
    static void realSleep(platform::Nanos duration);
    void clearRadios();
    void insert(std::shared_ptr<const DiscoveredImpl> radio);

    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const DiscoveredImpl>> radios_;  // ascending unsigned bytes of the id
    std::optional<platform::Nanos> lastStart_;  // end of the last successful start
    std::shared_ptr<UdpSender> sender_;
    const std::shared_ptr<LogTrail> log_;
    const platform::Clock clock_;
    const Sleep sleep_;
    const NameLookup lookup_;
};

}  // namespace K4Ip
