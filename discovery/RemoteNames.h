// The lookups of the remote entries that are names. A name service can take
// seconds or never answer, so each name is looked up on a thread of its own
// that nobody waits for: start and stop return at once whatever the name
// service does, and each name is probed as soon as it resolves, whatever the
// other names do. At most one lookup per name is under way at a time, however
// often discovery starts: a run whose list holds a name that is still being
// looked up counts that lookup as its own instead of starting another, so the
// lookup threads never outnumber the names. When a lookup ends, the current
// run probes its address at the current port if its list still holds the
// name; otherwise the address is dropped.
//
// Concurrency: the owner's thread calls beginRun and progress; each lookup
// thread calls finish once, through a weak reference, so that lookups
// outliving the discovery end quietly. mutex_ guards the members below it and
// is never held across a lookup, a thread start, a send or a log write.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "discovery/Targets.h"
#include "discovery/UdpSender.h"
#include "platform/SteadyClock.h"

class LogTrail;

namespace K4Ip {

// Runs work on a thread that nobody joins; throws when no thread can be made.
using ThreadStarter = std::function<void(std::function<void()>)>;

// How far the lookups of the current run have come.
struct LookupProgress {
    size_t pending = 0;                      // names of the run still being looked up
    std::optional<platform::Nanos> lastEnd;  // when the last of its lookups ended
};

class RemoteNames : public std::enable_shared_from_this<RemoteNames> {
public:
    RemoteNames(NameLookup lookup, ThreadStarter startThread, platform::Clock clock, std::shared_ptr<LogTrail> log);
    RemoteNames(const RemoteNames&) = delete;
    RemoteNames& operator=(const RemoteNames&) = delete;

    // Makes `run` the current run, probing the names of its list (in the
    // text's order, repeats kept) at the port; without a port no address is
    // probed. Starts a lookup for each name that has none under way.
    void beginRun(const std::shared_ptr<UdpSender>& run, Datagram probe, std::optional<unsigned short> port,
                  std::vector<std::string> names);
    LookupProgress progress() const;

private:
    void startLookup(const std::string& name);
    void finish(const std::string& name, std::optional<boost::asio::ip::address_v4> address);
    // One target per time the current list holds the name; none when it does not.
    LocalUdpEndpoint targetsOf(const std::string& name, const boost::asio::ip::address_v4& address) const;

    const NameLookup lookup_;
    const ThreadStarter startThread_;
    const platform::Clock clock_;
    const std::shared_ptr<LogTrail> log_;

    mutable std::mutex mutex_;
    std::set<std::string> underWay_;  // names with a lookup under way, of any run
    std::weak_ptr<UdpSender> run_;
    Datagram probe_;
    std::optional<unsigned short> port_;
    std::vector<std::string> names_;  // the current run's names
    LookupProgress progress_;         // of the current run
};

}  // namespace K4Ip
