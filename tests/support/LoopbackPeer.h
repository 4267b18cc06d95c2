// A TCP peer on 127.0.0.1 for network tests, standing in for the radio. It
// listens on a port the system chooses and runs its I/O on a thread of its
// own; the test drives it with blocking calls that have a time limit. Each
// call starts one operation on the peer's thread and waits for its one
// completion (an operation past its limit is cancelled and its completion
// still awaited), and a completion that runs twice fails the test.
//
// Concurrency picture: the test thread posts starts and cancellations to the
// peer's thread and waits on a future; only the peer's thread touches the
// sockets.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace testsupport {

using Duration = std::chrono::milliseconds;
inline constexpr Duration kPeerLimit{5000};

class LoopbackPeer {
public:
    // receiveBuffer > 0 sets the receive buffer size of accepted connections.
    explicit LoopbackPeer(int receiveBuffer = 0);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    unsigned short port() const { return port_; }

    // Waits for the next incoming connection and makes it the current one.
    bool accept(Duration limit = kPeerLimit);
    // Reads from the current connection until `count` bytes have come, the
    // limit has passed or the connection has ended; returns what came.
    std::string read(std::size_t count, Duration limit = kPeerLimit);
    // Reads and discards until the current connection ends (or the limit
    // passes); returns how many bytes came.
    std::size_t readToEnd(Duration limit = kPeerLimit);
    // Writes all of `bytes` to the current connection.
    bool write(const std::string& bytes, Duration limit = kPeerLimit);
    // Closes the current connection, as a radio that drops the link.
    void closeConnection();

private:
    using Completion = std::function<void(std::size_t)>;
    // Runs `start` on the peer's thread with a completion to call once with
    // the operation's result; past `limit` runs `cancel` and waits on.
    std::size_t await(std::function<void(Completion)> start, std::function<void()> cancel, Duration limit);

    boost::asio::io_context io_;
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> work_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::ip::tcp::socket connection_;
    unsigned short port_ = 0;
    std::thread thread_;
};

// A listening socket whose connection queue is already full, so that a
// connect to it stays pending: the peer never answers it.
class UnansweredListener {
public:
    UnansweredListener();
    unsigned short port() const { return acceptor_.local_endpoint().port(); }

private:
    boost::asio::io_context io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::ip::tcp::socket filler_;
};

// A port on 127.0.0.1 that nobody listens on: a connect to it is refused.
unsigned short closedPort();

}  // namespace testsupport
