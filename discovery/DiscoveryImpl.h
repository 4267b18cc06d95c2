// The discovery service: each start begins a new run (a UdpSender with its
// own thread) that sends the probe "findk4" at once to the broadcast address
// of every local subnet and to every remote entry that is an IPv4 address,
// and to each remote name once it has been looked up (RemoteNames); it
// records every well-formed answer in radios_, keyed by the radio's id.
//
// Every answer is logged, within a budget per run for answers that are
// ignored or repeat a listed id (AnswerLog); a listed id that answers from
// another address is logged as moved.
//
// Concurrency: the owner's thread calls start, discovered and stop and never
// waits for a name lookup itself; the run's thread calls onResponse; lookup
// threads only hand addresses to the current run through names_. mutex_
// guards radios_, lastStart_ and logBudget_ and is never held while sleeping,
// logging or stopping a run; onResponse takes it to weigh an answer against
// the list and to insert a finished record. stop reads the ended run's budget
// after joining its thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/ip/udp.hpp>

#include "discovery/AnswerLog.h"
#include "discovery/Discovered.h"
#include "discovery/LocalUdpEndpoint.h"
#include "discovery/RemoteNames.h"
#include "discovery/Response.h"
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
    bool logging() const;
    // How an answer meets the list, decided under mutex_: a new id that the
    // full list has no room for is rejected here.
    struct Arrival {
        bool logged = false;
        std::optional<boost::asio::ip::address> movedFrom;  // a listed id's earlier address
    };
    Arrival arrive(ParsedResponse& parsed, const boost::asio::ip::udp::endpoint& from);
    void clearRadios();
    // A radio fits the list when its id is listed or the list is not full;
    // expects mutex_ held.
    bool roomFor(const std::string& id) const;
    void insert(std::shared_ptr<const DiscoveredImpl> radio);

    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const DiscoveredImpl>> radios_;  // ascending unsigned bytes of the id
    std::optional<platform::Nanos> lastStart_;  // end of the last successful start
    AnswerLogBudget logBudget_;                 // of the current run
    std::shared_ptr<UdpSender> sender_;
    const std::shared_ptr<LogTrail> log_;
    const platform::Clock clock_;
    const Sleep sleep_;
    const std::shared_ptr<RemoteNames> names_;
};

}  // namespace K4Ip
