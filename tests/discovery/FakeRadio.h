// A K4 stand-in for discovery tests: a UDP socket on all interfaces of the
// test's private network namespace (loopback only there) at a port the system
// chooses, driven from the test's thread with blocking calls that have a time
// limit.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

namespace discoverytest {

struct Datagram {
    std::string bytes;
    boost::asio::ip::udp::endpoint from;
};

class FakeRadio {
public:
    FakeRadio();

    unsigned short port() const { return port_; }
    // The next datagram, or nothing within the limit.
    std::optional<Datagram> receive(std::chrono::milliseconds limit = std::chrono::milliseconds(5000));
    void answer(const boost::asio::ip::udp::endpoint& to, const std::string& bytes);

private:
    boost::asio::io_context io_;
    boost::asio::ip::udp::socket socket_;
    unsigned short port_ = 0;
};

// True when every local IPv4 address is a loopback one (or, with the test
// subnet allowed, in 10.231.0.0/24): network tests refuse to run elsewhere.
bool networkIsPrivate(bool allowTestSubnet = false);

}  // namespace discoverytest
