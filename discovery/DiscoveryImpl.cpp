#include "discovery/DiscoveryImpl.h"

#include <chrono>
#include <exception>
#include <thread>

#include "discovery/RemoteProbes.h"
#include "discovery/Response.h"
#include "discovery/Targets.h"
#include "discovery/UdpSender.h"
#include "log/LogTrail.h"
#include "settings/Settings.h"
#include "platform/Adapters.h"

namespace K4Ip {

namespace {
const char kProbe[] = "findk4";
const char kResponseLabel[] = "Discovery Response ";
constexpr int kLogId = 0;
}  // namespace

DiscoveryImpl::DiscoveryImpl(std::shared_ptr<LogTrail> log, platform::Clock clock, Sleep sleep, NameLookup lookup)
    : log_(std::move(log)), clock_(std::move(clock)), sleep_(std::move(sleep)), lookup_(std::move(lookup)) {}

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
        const std::string addresses = settings::remoteAddresses();
        const std::string port = settings::discoveryPort();
        sender_ = std::make_shared<UdpSender>();
        LocalUdpEndpoint broadcasts;
        sender_->withResolver([&](boost::asio::ip::udp::resolver& resolver) {
            appendBroadcastTargets(broadcasts, platform::localIpv4Addresses(), port, resolver);
        });
        auto self = shared_from_this();
        sender_->start([self](const char* data, unsigned length, const boost::asio::ip::udp::endpoint& from) {
            self->onResponse(data, length, from);
        });
        const auto probe = std::make_shared<std::vector<char>>(kProbe, kProbe + sizeof kProbe - 1);
        // The broadcasts are queued first, so they go out before any remote
        // address and never wait for a name lookup.
        sender_->send(probe, broadcasts);
        probeRemoteAddresses(sender_, probe, addresses, port, lookup_);
        const platform::Nanos now = clock_();
        std::lock_guard<std::mutex> lock(mutex_);
        lastStart_ = now;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<Discovered> DiscoveryImpl::discovered() {
    std::optional<platform::Nanos> lastStart;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastStart = lastStart_;
    }
    if (lastStart) {
        const platform::Nanos deadline = *lastStart + kSettleTime;
        for (platform::Nanos now = clock_(); now < deadline; now = clock_()) sleep_(deadline - now);
    }
    std::vector<Discovered> radios;
    std::lock_guard<std::mutex> lock(mutex_);
    radios.reserve(radios_.size());
    for (const auto& entry : radios_) radios.emplace_back(entry.second);
    return radios;
}

void DiscoveryImpl::stop() {
    if (!sender_) return;
    sender_->stop();
    sender_.reset();
}

void DiscoveryImpl::onResponse(const char* data, unsigned length, const boost::asio::ip::udp::endpoint& from) {
    if (log_ && log_->isOpen())
        log_->writeData(kLogId, kResponseLabel + from.address().to_string(), data, length, true);
    auto fields = parseResponse(data, length);
    if (!fields) return;
    insert(std::make_shared<const DiscoveredImpl>(from, fields->name, fields->info, fields->id));
}

void DiscoveryImpl::clearRadios() {
    std::lock_guard<std::mutex> lock(mutex_);
    radios_.clear();
}

void DiscoveryImpl::insert(std::shared_ptr<const DiscoveredImpl> radio) {
    const std::string id = radio->id;
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = radios_.find(id);
    if (found != radios_.end())
        found->second = std::move(radio);
    else if (radios_.size() < kMaxDiscoveredRadios)
        radios_.emplace(id, std::move(radio));
}

}  // namespace K4Ip
