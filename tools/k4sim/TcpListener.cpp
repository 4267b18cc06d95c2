#include "TcpListener.h"

#include <algorithm>

#include "SegmentSize.h"

namespace k4sim {

namespace {

// The receive buffer every accepted connection inherits: small, as a
// radio's is, so that a radio that stops reading (the half-open fault)
// stalls the other side's writes after a few kilobytes, not megabytes.
constexpr int kReceiveBufferBytes = 4096;

std::string peerText(const boost::asio::ip::tcp::socket& socket) {
    boost::system::error_code error;
    const auto peer = socket.remote_endpoint(error);
    if (error) return "?";
    return peer.address().to_string() + ":" + std::to_string(peer.port());
}

}  // namespace

TcpListener::TcpListener(boost::asio::io_context& io, std::shared_ptr<Radio> radio,
                         boost::asio::ip::tcp::endpoint endpoint)
    : radio_(std::move(radio)), endpoint_(endpoint), acceptor_(io), retryTimer_(io), rebootTimer_(io) {}

uint16_t TcpListener::open() {
    listen();
    endpoint_.port(acceptor_.local_endpoint().port());
    radio_->setPort(endpoint_.port());
    if (!radio_->options().listening) setListening(false);
    return endpoint_.port();
}

void TcpListener::listen() {
    try {
        acceptor_.open(endpoint_.protocol());
        acceptor_.set_option(boost::asio::socket_base::reuse_address(true));
        acceptor_.set_option(boost::asio::socket_base::receive_buffer_size(kReceiveBufferBytes));
        limitSegmentSize(acceptor_, kEthernetSegmentBytes);
        acceptor_.bind(endpoint_);
        acceptor_.listen();
    } catch (const boost::system::system_error&) {
        boost::system::error_code ignored;
        acceptor_.close(ignored);  // not half open: a later setListening(true) tries again
        throw;
    }
    startAccept();
}

void TcpListener::setListening(bool listening) {
    if (listening == acceptor_.is_open()) return;
    boost::system::error_code ignored;
    if (listening)
        listen();
    else
        acceptor_.close(ignored);
}

void TcpListener::disconnectAll() {
    for (auto& weak : sessions_)
        if (auto session = weak.lock()) session->close();
    sessions_.clear();
}

void TcpListener::reboot(std::chrono::milliseconds down) {
    disconnectAll();
    setListening(false);
    rebootTimer_.expires_after(down);
    rebootTimer_.async_wait([self = shared_from_this()](const boost::system::error_code& error) {
        if (!error) self->setListening(true);
    });
}

std::size_t TcpListener::injectAll(const std::string& bytes) {
    std::size_t connections = 0;
    for (auto& weak : sessions_)
        if (auto session = weak.lock()) connections += session->inject(bytes);
    return connections;
}

void TcpListener::close() {
    boost::system::error_code ignored;
    acceptor_.close(ignored);
    retryTimer_.cancel();
    rebootTimer_.cancel();
    disconnectAll();
}

void TcpListener::startAccept() {
    acceptor_.async_accept([self = shared_from_this()](const boost::system::error_code& error,
                                                       boost::asio::ip::tcp::socket socket) {
        self->onAccept(error, std::move(socket));
    });
}

void TcpListener::onAccept(const boost::system::error_code& error, boost::asio::ip::tcp::socket socket) {
    if (error == boost::asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (error) return retryAccept();  // e.g. out of descriptors: try again shortly instead of spinning
    boost::system::error_code ignored;
    socket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
    const std::string peer = peerText(socket);
    auto session = std::make_shared<TcpSession>(std::move(socket), radio_, Conversation::Link::tcp, peer);
    session->start();
    sessions_.erase(std::remove_if(sessions_.begin(), sessions_.end(), [](const auto& weak) { return weak.expired(); }),
                    sessions_.end());
    sessions_.push_back(session);
    startAccept();
}

void TcpListener::retryAccept() {
    retryTimer_.expires_after(std::chrono::milliseconds(100));
    retryTimer_.async_wait([self = shared_from_this()](const boost::system::error_code& error) {
        if (!error && self->acceptor_.is_open()) self->startAccept();
    });
}

}  // namespace k4sim
