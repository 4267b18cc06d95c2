// The radios' side of discovery: one UDP socket on the discovery port
// receives every datagram; each "findk4" probe is answered by every radio
// (and by as many datagrams as a radio's flood fault asks for). A radio
// bound to an address of its own answers from a socket on that address, so
// that a prober connects to the right one; the others answer from the
// discovery socket.
//
// Concurrency: open() runs on the caller's thread before the simulator's
// thread starts; every handler and close() on the simulator's thread, one
// send in flight at a time. The probe record is guarded by mutex_, which
// tests read through probeCount/datagrams/waitForProbes.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include "Radio.h"

namespace k4sim {

class DiscoveryResponder : public std::enable_shared_from_this<DiscoveryResponder> {
public:
    struct Member {
        std::shared_ptr<Radio> radio;
        boost::asio::ip::address address;  // the radio's own bind address (may be unspecified)
    };

    DiscoveryResponder(boost::asio::io_context& io, std::vector<Member> members, boost::asio::ip::udp::endpoint bind);

    // Binds the sockets and starts receiving; returns the discovery port.
    uint16_t open();
    void close();

    std::size_t probeCount() const;
    std::vector<std::string> datagrams() const;  // everything received, probes or not
    bool waitForProbes(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Outgoing {
        boost::asio::ip::udp::socket* socket;
        boost::asio::ip::udp::endpoint to;
        std::string bytes;
    };

    void startReceive();
    void onReceive(const boost::system::error_code& error, std::size_t size);
    void answer(const boost::asio::ip::udp::endpoint& prober);
    std::string localAddress(const boost::asio::ip::udp::socket& socket,
                             const boost::asio::ip::udp::endpoint& prober) const;
    void sendNext();
    void onSent();

    boost::asio::io_context& io_;
    const std::vector<Member> members_;
    boost::asio::ip::udp::endpoint bind_;
    boost::asio::ip::udp::socket socket_;
    std::vector<std::unique_ptr<boost::asio::ip::udp::socket>> replySockets_;  // per member; null: socket_
    std::array<char, 512> buffer_{};
    boost::asio::ip::udp::endpoint from_;
    std::deque<Outgoing> outbox_;
    bool sending_ = false;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::size_t probes_ = 0;
    std::vector<std::string> datagrams_;
};

}  // namespace k4sim
