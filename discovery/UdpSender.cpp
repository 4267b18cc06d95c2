#include "discovery/UdpSender.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include <boost/asio/post.hpp>

namespace K4Ip {
namespace {

namespace ip = boost::asio::ip;
using boost::system::error_code;

constexpr auto kSlice = std::chrono::milliseconds(50);

}  // namespace

UdpSender::~UdpSender() { stop(); }

void UdpSender::withResolver(const std::function<void(ip::udp::resolver&)>& fn) {
    ip::udp::resolver resolver(ioContext_);
    fn(resolver);
}

void UdpSender::start(DatagramHandler onDatagram) {
    onDatagram_ = std::move(onDatagram);
    receiveBuffer_ = std::make_shared<std::vector<char>>(kReceiveBufferSize, '\0');
    thread_ = std::thread([this] { run(); });
}

bool UdpSender::send(Datagram datagram, LocalUdpEndpoint targets) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return false;
    if (targets.size() == 0) return true;
    targets.next = 0;
    queue_.push_back(Pass{std::move(datagram), std::move(targets)});
    if (sending_) return true;
    // Posted under the lock: the run's thread sets finished_ under it before
    // its last drain, so a kick is either drained there or never posted, and
    // none is left holding this sender inside its own io_context. Posting only
    // enqueues; it never runs the handler here.
    boost::asio::post(ioContext_, [self = shared_from_this()] { self->sendNext(nullptr); });
    return true;
}

void UdpSender::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    onDatagram_ = nullptr;
}

void UdpSender::run() {
    try {
        openSocket();
        if (onDatagram_) startReceive();
        runSlices();
    } catch (const std::exception&) {
        // The run ends quietly; discovery just finds nothing.
    }
    finish();
}

void UdpSender::openSocket() {
    socket_ = std::make_unique<ip::udp::socket>(ioContext_);
    socket_->open(ip::udp::v4());
    socket_->set_option(boost::asio::socket_base::broadcast(true));
    // An unbound socket gets its ephemeral port only at the first send, and a
    // receive before that fails at once. Binding to port 0 on all interfaces
    // is what that send would do, so the receive armed now simply waits.
    socket_->bind(ip::udp::endpoint(ip::udp::v4(), 0));
}

void UdpSender::runSlices() {
    while (!stopping_) {
        const auto sliceEnd = std::chrono::steady_clock::now() + kSlice;
        ioContext_.run_until(sliceEnd);
        if (ioContext_.stopped()) {
            // Out of work (no receive pending): wait out the slice instead of spinning.
            ioContext_.restart();
            std::this_thread::sleep_until(sliceEnd);
        }
        if (!receiving_ && onDatagram_) startReceive();
    }
}

void UdpSender::finish() {
    error_code ignored;
    if (socket_) socket_->close(ignored);
    socket_.reset();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    // Complete what is left (the aborted receive and send, kicks posted before
    // finished_ was set) so no handler outlives the thread holding this sender.
    try {
        ioContext_.restart();
        ioContext_.run();
    } catch (const std::exception&) {
    }
}

void UdpSender::startReceive() {
    if (!socket_ || stopping_) return;
    receiving_ = true;
    socket_->async_receive_from(boost::asio::buffer(*receiveBuffer_), receiveFrom_,
                                [this](const error_code& error, size_t length) { onReceive(error, length); });
}

std::optional<size_t> UdpSender::deliveredLength(const error_code& error, size_t length) {
    if (error) return std::nullopt;
    return std::min(length, kDeliveredBytes);
}

void UdpSender::onReceive(const error_code& error, size_t length) {
    receiving_ = false;
    const auto delivered = deliveredLength(error, length);
    if (delivered && onDatagram_) onDatagram_(receiveBuffer_->data(), static_cast<unsigned>(*delivered), receiveFrom_);
    // A failed receive re-arms only at the next slice, so an error that
    // persists cannot make the thread spin.
    if (delivered) startReceive();
}

void UdpSender::sendNext(Datagram current) {
    if (!socket_) return;
    ip::udp::endpoint target;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (sending_) return;
        if (!cursor_.entries) {
            if (queue_.empty()) return;
            current = std::move(queue_.front().datagram);
            cursor_ = std::move(queue_.front().targets);
            queue_.pop_front();
        }
        if (cursor_.size() == 0 || !current) {
            cursor_ = LocalUdpEndpoint();
            return;
        }
        sending_ = true;
        target = (*cursor_.entries)[cursor_.next++].endpoint();
        if (cursor_.next >= cursor_.size()) cursor_ = LocalUdpEndpoint();
    }
    socket_->async_send_to(boost::asio::buffer(*current), target,
                           [self = shared_from_this(), current](const error_code&, size_t) {
                               self->onSent(current);
                           });
}

// A failed send (a target without a route, say) is not retried, and the
// pass goes on with the next target all the same.
void UdpSender::onSent(Datagram current) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sending_ = false;
    }
    sendNext(std::move(current));
}

}  // namespace K4Ip
