#include "DiscoveryResponder.h"

namespace k4sim {

namespace {

const std::string probeText = "findk4";
constexpr std::size_t keptDatagrams = 1000;

}  // namespace

DiscoveryResponder::DiscoveryResponder(boost::asio::io_context& io, std::vector<Member> members,
                                       boost::asio::ip::udp::endpoint bind)
    : io_(io), members_(std::move(members)), bind_(bind), socket_(io) {}

uint16_t DiscoveryResponder::open() {
    socket_.open(bind_.protocol());
    socket_.bind(bind_);
    bind_.port(socket_.local_endpoint().port());
    for (const auto& member : members_) {
        std::unique_ptr<boost::asio::ip::udp::socket> own;
        if (!member.address.is_unspecified() && member.address != bind_.address()) {
            own = std::make_unique<boost::asio::ip::udp::socket>(io_);
            own->open(bind_.protocol());
            own->bind({member.address, 0});
        }
        replySockets_.push_back(std::move(own));
    }
    startReceive();
    return bind_.port();
}

void DiscoveryResponder::close() {
    boost::system::error_code ignored;
    socket_.close(ignored);
    for (auto& own : replySockets_)
        if (own) own->close(ignored);
    if (!sending_) outbox_.clear();  // else onSent drops it, once the buffer in flight is free
}

std::size_t DiscoveryResponder::probeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return probes_;
}

std::vector<std::string> DiscoveryResponder::datagrams() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return datagrams_;
}

bool DiscoveryResponder::waitForProbes(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return probes_ >= count; });
}

void DiscoveryResponder::startReceive() {
    socket_.async_receive_from(boost::asio::buffer(buffer_), from_,
                               [self = shared_from_this()](const boost::system::error_code& error, std::size_t size) {
                                   self->onReceive(error, size);
                               });
}

void DiscoveryResponder::onReceive(const boost::system::error_code& error, std::size_t size) {
    if (!socket_.is_open() || error == boost::asio::error::operation_aborted) return;
    // Other errors (a prober that went away before its answer arrived, on
    // some systems) concern one datagram only: keep receiving.
    if (!error) {
        const std::string datagram(buffer_.data(), size);
        const bool probe = datagram == probeText;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (datagrams_.size() == keptDatagrams) datagrams_.erase(datagrams_.begin());
            datagrams_.push_back(datagram);
            if (probe) ++probes_;
        }
        changed_.notify_all();
        if (probe) answer(from_);
    }
    startReceive();
}

void DiscoveryResponder::answer(const boost::asio::ip::udp::endpoint& prober) {
    for (std::size_t i = 0; i < members_.size(); ++i) {
        auto& socket = replySockets_[i] ? *replySockets_[i] : socket_;
        const auto& options = members_[i].radio->options();
        const bool needsAddress = options.shape == AnswerShape::real && options.ipText.empty();
        const std::string address = needsAddress ? localAddress(socket, prober) : std::string();
        for (auto& bytes : members_[i].radio->discoveryAnswers(address))
            outbox_.push_back({&socket, prober, std::move(bytes)});
    }
    sendNext();
}

// The address an answer leaves from: the socket's own, or, for a socket on
// all interfaces, the one the system would route towards the prober.
std::string DiscoveryResponder::localAddress(const boost::asio::ip::udp::socket& socket,
                                             const boost::asio::ip::udp::endpoint& prober) const {
    boost::system::error_code error;
    const auto bound = socket.local_endpoint(error).address();
    if (!bound.is_unspecified()) return bound.to_string();
    boost::asio::ip::udp::socket route(io_);
    route.open(prober.protocol(), error);
    if (!error) route.connect(prober, error);
    const auto routed = route.local_endpoint(error);
    return error ? bound.to_string() : routed.address().to_string();
}

void DiscoveryResponder::sendNext() {
    if (sending_ || outbox_.empty()) return;
    sending_ = true;
    auto& next = outbox_.front();
    next.socket->async_send_to(boost::asio::buffer(next.bytes), next.to,
                               [self = shared_from_this()](const boost::system::error_code&, std::size_t) {
                                   self->onSent();
                               });
}

// A lost answer is what UDP does: go on with the next one either way.
void DiscoveryResponder::onSent() {
    sending_ = false;
    outbox_.pop_front();
    if (!socket_.is_open()) return outbox_.clear();
    sendNext();
}

}  // namespace k4sim
