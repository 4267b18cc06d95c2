#include "discovery/Discovery.h"

#include "discovery/DiscoveryImpl.h"

namespace K4Ip {

Discovery::Discovery(std::shared_ptr<LogTrail> log) : impl_(std::make_shared<DiscoveryImpl>(std::move(log))) {}

Discovery::Discovery(std::shared_ptr<DiscoveryImpl> impl) : impl_(std::move(impl)) {}

bool Discovery::start() { return impl_ ? impl_->start() : false; }

std::vector<Discovered> Discovery::discovered() { return impl_ ? impl_->discovered() : std::vector<Discovered>(); }

void Discovery::stop() {
    if (impl_) impl_->stop();
}

}  // namespace K4Ip
