#include "discovery/RemoteNames.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "log/LogTrail.h"

namespace K4Ip {

namespace {

constexpr int kLogId = 0;
const char kNoThreadMessage[] = "Discovery Lookup not started (no thread), name not probed";

}  // namespace

RemoteNames::RemoteNames(NameLookup lookup, ThreadStarter startThread, platform::Clock clock,
                         std::shared_ptr<LogTrail> log)
    : lookup_(std::move(lookup)), startThread_(std::move(startThread)), clock_(std::move(clock)), log_(std::move(log)) {}

void RemoteNames::beginRun(const std::shared_ptr<UdpSender>& run, Datagram probe, std::optional<unsigned short> port,
                           std::vector<std::string> names) {
    std::vector<std::string> toLookUp;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        run_ = run;
        probe_ = std::move(probe);
        port_ = port;
        names_ = std::move(names);
        progress_ = LookupProgress();
        std::set<std::string> counted;
        for (const auto& name : names_) {
            if (!counted.insert(name).second) continue;
            if (underWay_.insert(name).second) toLookUp.push_back(name);
            ++progress_.pending;
        }
    }
    for (const auto& name : toLookUp) startLookup(name);
}

LookupProgress RemoteNames::progress() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

// A name whose thread cannot be started is skipped for this run: it is not
// probed and holds nothing up; the next run tries again.
void RemoteNames::startLookup(const std::string& name) {
    try {
        startThread_([self = std::weak_ptr<RemoteNames>(shared_from_this()), lookup = lookup_, name] {
            std::optional<boost::asio::ip::address_v4> address;
            try {
                address = lookup(name);
            } catch (const std::exception&) {
                // Counts as a name that does not resolve.
            }
            if (const auto names = self.lock()) names->finish(name, address);
        });
    } catch (const std::exception&) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            underWay_.erase(name);
            --progress_.pending;
        }
        if (log_ && log_->isOpen()) log_->writeText(kLogId, kNoThreadMessage, name, true);
    }
}

void RemoteNames::finish(const std::string& name, std::optional<boost::asio::ip::address_v4> address) {
    std::shared_ptr<UdpSender> run;
    Datagram probe;
    LocalUdpEndpoint targets;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        underWay_.erase(name);
        if (std::find(names_.begin(), names_.end(), name) == names_.end()) return;
        --progress_.pending;
        progress_.lastEnd = clock_();
        if (!address || !port_) return;
        run = run_.lock();
        probe = probe_;
        targets = targetsOf(name, *address);
    }
    if (run) run->send(probe, targets);
}

LocalUdpEndpoint RemoteNames::targetsOf(const std::string& name, const boost::asio::ip::address_v4& address) const {
    LocalUdpEndpoint targets;
    const boost::asio::ip::udp::endpoint endpoint(address, *port_);
    for (const auto& listed : names_)
        if (listed == name) targets.append(UdpTarget(endpoint, name, std::to_string(*port_)));
    return targets;
}

}  // namespace K4Ip
