// The poll's bytes exchanged without the driver, as the physical limit of
// the link: the poll string written at once, then read until its five
// answers have arrived.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "com/Interfaces.h"

namespace e2e {

// Over a TCP connection of its own to the radio's port on 127.0.0.1, with
// blocking reads.
class TcpExchange {
public:
    explicit TcpExchange(uint16_t port);
    ~TcpExchange();
    TcpExchange(const TcpExchange&) = delete;
    TcpExchange& operator=(const TcpExchange&) = delete;

    // One exchange; microseconds.
    double roundTrip();

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

// Microseconds per exchange, one after the other.
std::vector<double> timeTcpExchanges(uint16_t port, int count);

// Through a host serial port object (WriteChars, then ReadChars at once and
// again until the answers are in); microseconds per exchange.
std::vector<double> timePortExchanges(IQbRigIO* port, int count);

}  // namespace e2e
