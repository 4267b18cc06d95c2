// The discovery service: each start begins a new run (a UdpSender with its
// own thread) that sends the probe "findk4" at once to the broadcast address
// of every local subnet and to every remote entry that is an IPv4 address,
// and to each remote name once it has been looked up (RemoteNames); it
// records every well-formed answer in radios_, keyed by the radio's id.
//
// Concurrency: the owner's thread calls start, discovered and stop and never
// waits for a name lookup itself; the run's thread calls onResponse; lookup
// threads only hand addresses to the current run through names_. mutex_
// guards radios_ and lastStart_ and is never held while sleeping, logging or
// stopping a run; onResponse takes it only to insert a finished record.
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
#include "discovery/RemoteNames.h"
#include "discovery/Targets.h"
#include "platform/DetachedThread.h"
#include "platform/SteadyClock.h"

class LogTrail;

namespace K4Ip {

class UdpSender;

class DiscoveryImpl : public std::enable_shared_from_this<DiscoveryImpl> {
public:
    // Sleeps for the given number of nanoseconds.
    using Sleep = std::function<void(platform::Nanos)>;

    // discovered() waits until this long after the later of the last start
    // and the end of that run's last name lookup ...
    static constexpr platform::Nanos kSettleTime = 500'000'000;
    // ... where a lookup still under way this long after the start counts
    // as ended then, so that discovered() never waits more than 1.5 s.
    static constexpr platform::Nanos kLookupAllowance = 1'000'000'000;

    explicit DiscoveryImpl(std::shared_ptr<LogTrail> log, platform::Clock clock = platform::steadyClock(),
                           Sleep sleep = realSleep, NameLookup lookup = systemNameLookup(),
                           ThreadStarter startThread = platform::runDetached);
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
    // When discovered() may return, or the earliest it may, while a lookup
    // of the run that started at `start` is under way.
    static platform::Nanos settleEnd(platform::Nanos start, const LookupProgress& lookups, platform::Nanos now);
    void clearRadios();
    // A radio fits the list when its id is listed or the list is not full;
    // roomFor expects mutex_ held, hasRoomFor takes it.
    bool roomFor(const std::string& id) const;
    bool hasRoomFor(const std::string& id);
    void insert(std::shared_ptr<const DiscoveredImpl> radio);

    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const DiscoveredImpl>> radios_;  // ascending unsigned bytes of the id
    std::optional<platform::Nanos> lastStart_;  // end of the last successful start
    std::shared_ptr<UdpSender> sender_;
    const std::shared_ptr<LogTrail> log_;
    const platform::Clock clock_;
    const Sleep sleep_;
    const std::shared_ptr<RemoteNames> names_;
};

}  // namespace K4Ip
