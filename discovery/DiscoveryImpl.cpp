#include "discovery/DiscoveryImpl.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

#include "discovery/AnswerLog.h"
#include "discovery/Response.h"
#include "discovery/UdpSender.h"
#include "log/LogTrail.h"
#include "settings/Settings.h"
#include "platform/Adapters.h"

namespace K4Ip {

namespace {
const char kProbe[] = "findk4";
constexpr int kLogId = 0;
}  // namespace

DiscoveryImpl::DiscoveryImpl(std::shared_ptr<LogTrail> log, platform::Clock clock, Sleep sleep, NameLookup lookup,
                             ThreadStarter startThread)
    : log_(log),
      clock_(clock),
      sleep_(std::move(sleep)),
      names_(std::make_shared<RemoteNames>(std::move(lookup), std::move(startThread), clock, log)) {}

DiscoveryImpl::~DiscoveryImpl() { stop(); }

void DiscoveryImpl::realSleep(platform::Nanos duration) {
    std::this_thread::sleep_for(std::chrono::nanoseconds(duration));
}

bool DiscoveryImpl::start() {
    try {
        // The old run ends first: answers it receives while it is being
        // joined must not reach the new list.
        stop();
        clearRadios();
        const std::string port = settings::discoveryPort();
        const RemoteEntries remotes = sortRemoteEntries(settings::remoteAddresses());
        sender_ = std::make_shared<UdpSender>();
        LocalUdpEndpoint atOnce;
        std::optional<unsigned short> remotePort;
        sender_->withResolver([&](boost::asio::ip::udp::resolver& resolver) {
            appendBroadcastTargets(atOnce, platform::localIpv4Addresses(), port, resolver);
            remotePort = portNumber(port, resolver);
        });
        if (remotePort) appendAddressTargets(atOnce, remotes.addresses, *remotePort);
        auto self = shared_from_this();
        sender_->start([self](const char* data, unsigned length, const boost::asio::ip::udp::endpoint& from) {
            self->onResponse(data, length, from);
        });
        const auto probe = std::make_shared<std::vector<char>>(kProbe, kProbe + sizeof kProbe - 1);
        // Broadcasts and numeric addresses are queued first, so they go out
        // before any name and never wait for a lookup.
        sender_->send(probe, atOnce);
        names_->beginRun(sender_, probe, remotePort, remotes.names);
        const platform::Nanos now = clock_();
        std::lock_guard<std::mutex> lock(mutex_);
        lastStart_ = now;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

platform::Nanos DiscoveryImpl::settleEnd(platform::Nanos start, const LookupProgress& lookups, platform::Nanos now) {
    const platform::Nanos cutoff = start + kLookupAllowance;
    if (lookups.pending > 0 && now < cutoff) return std::max(start, now) + kSettleTime;
    const platform::Nanos lastEnd = lookups.pending > 0 ? cutoff : std::min(lookups.lastEnd.value_or(start), cutoff);
    return std::max(start, lastEnd) + kSettleTime;
}

std::vector<Discovered> DiscoveryImpl::discovered() {
    for (;;) {
        std::optional<platform::Nanos> lastStart;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lastStart = lastStart_;
        }
        if (!lastStart) break;
        const platform::Nanos now = clock_();
        const platform::Nanos end = settleEnd(*lastStart, names_->progress(), now);
        if (now >= end) break;
        sleep_(end - now);
    }
    std::vector<Discovered> radios;
    std::lock_guard<std::mutex> lock(mutex_);
    radios.reserve(radios_.size());
    for (const auto& entry : radios_) radios.emplace_back(entry.second);
    return radios;
}

// Ends the run, and with it the run's log budget.
void DiscoveryImpl::stop() {
    if (sender_) {
        sender_->stop();
        sender_.reset();
    }
    size_t leftOut = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        leftOut = logBudget_.endRun();
    }
    if (leftOut > 0 && logging()) log_->writeMessage(kLogId, leftOutMessage(leftOut));
}

bool DiscoveryImpl::logging() const { return log_ && log_->isOpen(); }

// Every datagram is logged before its record is stored, with the reason
// when it is not listed, within the run's log budget.
void DiscoveryImpl::onResponse(const char* data, unsigned length, const boost::asio::ip::udp::endpoint& from) {
    auto parsed = parseResponse(data, length);
    const Arrival arrival = arrive(parsed, from);
    if (arrival.logged) {
        log_->writeData(kLogId, responseMessage(from, parsed.rejection), data, length, true);
        if (arrival.movedFrom)
            log_->writeMessage(kLogId, movedMessage(parsed.fields->id, *arrival.movedFrom, from.address()));
    }
    if (parsed.rejection != Rejection::none) return;
    const auto& fields = *parsed.fields;
    insert(std::make_shared<const DiscoveredImpl>(from, fields.name, fields.info, fields.id));
}

// A listed id that answers from another address moves there (its record is
// replaced); only the address counts, as the link connects to the address.
DiscoveryImpl::Arrival DiscoveryImpl::arrive(ParsedResponse& parsed, const boost::asio::ip::udp::endpoint& from) {
    Arrival arrival;
    bool listed = false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (parsed.fields) {
        const auto record = radios_.find(parsed.fields->id);
        listed = record != radios_.end();
        if (!listed && !roomFor(parsed.fields->id)) parsed.rejection = Rejection::listFull;
        const auto earlier = listed ? record->second->from.address() : from.address();
        if (earlier != from.address()) arrival.movedFrom = earlier;
    }
    if (!logging()) return arrival;
    const bool limited = listed || parsed.rejection != Rejection::none;
    arrival.logged = !limited || logBudget_.admit(arrival.movedFrom ? 2 : 1);
    return arrival;
}

void DiscoveryImpl::clearRadios() {
    std::lock_guard<std::mutex> lock(mutex_);
    radios_.clear();
}

bool DiscoveryImpl::roomFor(const std::string& id) const {
    return radios_.size() < kMaxDiscoveredRadios || radios_.count(id) != 0;
}

void DiscoveryImpl::insert(std::shared_ptr<const DiscoveredImpl> radio) {
    const std::string id = radio->id;
    std::lock_guard<std::mutex> lock(mutex_);
    if (roomFor(id)) radios_[id] = std::move(radio);
}

}  // namespace K4Ip
