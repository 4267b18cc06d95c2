#include "net/RigClient.h"

#include "net/RigClientImpl.h"

namespace K4Ip {

// The handles hold a reference of their own, whose release stops the client:
// its connection thread and pending operations hold plain references that
// would otherwise keep the link open after the last handle went.
RigClient::RigClient(const boost::asio::ip::address& address, uint16_t port) {
    std::shared_ptr<RigClientImpl> client = RigClientImpl::create();
    impl_ = std::shared_ptr<RigClientImpl>(client.get(), [client](RigClientImpl*) { client->stop(); });
    impl_->connect(address, port);
}

bool RigClient::isConnected() const { return impl_ && impl_->isConnected(); }

std::shared_ptr<std::vector<char>> RigClient::receive() {
    return impl_ ? impl_->receive() : std::make_shared<std::vector<char>>();
}

bool RigClient::hasReceived() const { return impl_ && impl_->hasReceived(); }

bool RigClient::send(const std::string& text) {
    return impl_ && impl_->send(std::make_shared<std::vector<char>>(text.begin(), text.end()));
}

std::vector<std::string> RigClient::takeUnsent() {
    std::vector<std::string> texts;
    if (impl_) {
        for (const auto& text : impl_->takeUnsent()) texts.emplace_back(text->begin(), text->end());
    }
    return texts;
}

std::optional<std::string> RigClient::takeException() {
    return impl_ ? impl_->takeException() : std::nullopt;
}

void RigClient::abandon() {
    if (impl_) {
        impl_->abandon();
    }
}

void RigClient::reconnect() {
    if (impl_) {
        impl_->reconnect();
    }
}

void RigClient::stop() {
    if (impl_) {
        impl_->stop();
    }
}

}  // namespace K4Ip
