// Plain Boost.Asio clients on the test's thread for talking to an
// in-process simulator on 127.0.0.1: a TCP connection and a UDP prober.
// Every call has a time limit; each started operation must complete
// exactly once (a cancelled one included), which the calls check.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>

namespace simtest {

using Duration = std::chrono::milliseconds;
inline constexpr Duration kLimit{5000};

class TcpClient {
public:
    TcpClient();
    boost::system::error_code connect(uint16_t port, Duration limit = kLimit);
    void send(const std::string& bytes);
    // Ends the connection with a reset, as a program that gives a link up does.
    void reset();
    // Writes without blocking until the system takes no more for `settle`
    // (the peer stopped reading) or `most` bytes were taken; returns how
    // many were taken.
    std::size_t sendUntilStalled(std::size_t most, Duration settle);
    // Reads until `count` more ";" have come, the limit has passed or the
    // connection has ended; returns what came.
    std::string readAnswers(std::size_t count, Duration limit = kLimit);
    // Reads until the simulator ends the connection (or the limit passes).
    std::string readToEnd(Duration limit = kLimit);
    bool ended() const { return ended_; }

private:
    std::string readWhile(const std::function<bool(const std::string&)>& more, Duration limit);

    boost::asio::io_context io_;
    boost::asio::ip::tcp::socket socket_;
    bool ended_ = false;
};

class UdpProber {
public:
    UdpProber();
    void send(uint16_t port, const std::string& datagram);
    // Receives until `count` datagrams have come or the limit has passed.
    std::vector<std::pair<std::string, boost::asio::ip::udp::endpoint>> receive(std::size_t count,
                                                                                Duration limit = kLimit);

private:
    boost::asio::io_context io_;
    boost::asio::ip::udp::socket socket_;
};

}  // namespace simtest
