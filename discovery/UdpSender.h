// One discovery run: a UDP socket with broadcast permitted, its own
// io_context and its own thread. Every datagram given to send goes once to
// each of its targets, in order, one send at a time and after the datagrams
// queued before it; every datagram received is handed to onDatagram.
//
// Concurrency: the owner's thread calls withResolver, start and stop; send
// may be called from any thread. The run's thread creates, uses and destroys
// the socket and runs every handler, and with them onDatagram. mutex_ guards
// cursor_, queue_, sending_ and finished_ and is never held across a socket
// operation, a callback or a join. stopping_ is the only flag the run's thread
// reads without the lock. onDatagram_ is set before the thread starts and
// emptied only after it has been joined.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include "discovery/LocalUdpEndpoint.h"

namespace K4Ip {

using Datagram = std::shared_ptr<std::vector<char>>;
using DatagramHandler =
    std::function<void(const char* data, unsigned length, const boost::asio::ip::udp::endpoint& from)>;

class UdpSender : public std::enable_shared_from_this<UdpSender> {
public:
    // Every receive takes a whole datagram into a buffer that holds the
    // longest one UDP can carry, so no receive is ever cut short (platforms
    // report a cut datagram differently); then only its first bytes are
    // handed on, as the answers that matter are short.
    static constexpr size_t kReceiveBufferSize = 65536;
    static constexpr size_t kDeliveredBytes = 100;

    UdpSender() = default;
    ~UdpSender();
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;

    // Creates a resolver on this run's io_context and calls fn with it at once.
    void withResolver(const std::function<void(boost::asio::ip::udp::resolver&)>& fn);
    // Starts the run's thread, which hands every received datagram to onDatagram.
    void start(DatagramHandler onDatagram);
    // Queues the datagram for each of the targets; false, and the datagram
    // dropped, when the run has ended.
    bool send(Datagram datagram, LocalUdpEndpoint targets);
    // Ends the run and joins its thread; never call it from the run's thread.
    void stop();

    // How many bytes of the buffer a receive completion delivers: the first
    // kDeliveredBytes of the datagram, or nothing when it brought none.
    static std::optional<size_t> deliveredLength(const boost::system::error_code& error, size_t length);

private:
    void run();
    void openSocket();
    void runSlices();
    void finish();
    void startReceive();
    void onReceive(const boost::system::error_code& error, size_t length);
    void sendNext(Datagram current);
    void onSent(Datagram current);

    // One datagram and the targets it goes to.
    struct Pass {
        Datagram datagram;
        LocalUdpEndpoint targets;
    };

    std::mutex mutex_;
    LocalUdpEndpoint cursor_;  // the pass in progress; null entries when none
    boost::asio::io_context ioContext_;
    std::unique_ptr<boost::asio::ip::udp::socket> socket_;  // the run's thread's only
    Datagram receiveBuffer_;
    boost::asio::ip::udp::endpoint receiveFrom_;
    bool receiving_ = false;  // a receive is pending; the run's thread's only
    std::deque<Pass> queue_;
    bool sending_ = false;
    bool finished_ = false;  // the run's thread has drained its io_context for the last time
    std::atomic<bool> stopping_{false};
    DatagramHandler onDatagram_;
    std::thread thread_;
};

}  // namespace K4Ip
