#include "net/RigClient.h"

#include "net/RigClientImpl.h"

namespace K4Ip {

RigClient::RigClient(const boost::asio::ip::address& address, uint16_t port) : impl_(RigClientImpl::create()) {
    impl_->connect(address, port);
}

bool RigClient::isConnected() const { return impl_ && impl_->isConnected(); }

std::shared_ptr<std::vector<char>> RigClient::receive() {
    return impl_ ? impl_->receive() : std::make_shared<std::vector<char>>();
}

bool RigClient::send(const std::string& text) {
    return impl_ && impl_->send(std::make_shared<std::vector<char>>(text.begin(), text.end()));
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
