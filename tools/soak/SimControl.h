// The soak's line to k4sim's control port: reads a radio's true state and
// the values it held, and switches its faults. Blocking calls on the soak's
// thread; k4sim answers each request at once.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/streambuf.hpp>

namespace soak {

// What a radio holds, in the host's terms: hertz, the host's mode number.
struct Reading {
    int64_t rcvHz = 0;
    int64_t xmitHz = 0;
    int mode = 0;
    int split = 0;
    bool operator==(const Reading& other) const {
        return rcvHz == other.rcvHz && xmitHz == other.xmitHz && mode == other.mode && split == other.split;
    }
};

// Every value a radio held, in the host's terms.
struct HeldValues {
    std::set<int64_t> vfoA, vfoB;
    std::set<int> modes;
    std::set<int> splits;
};

// The host's mode number for a K4 mode code (CW and DATA reversed fold into
// CW and DATA); 0 for a code the host has no number for.
int hostMode(int radioMode);

class SimControl {
public:
    // Connects to 127.0.0.1:port; throws std::runtime_error when it cannot.
    explicit SimControl(uint16_t port);

    // Sends a request and returns the answer line; throws when the answer
    // is not "ok...".
    std::string ask(const std::string& request);
    Reading truth(const std::string& radio);
    // Adds the values held since the last call to `into`.
    void addHeld(const std::string& radio, HeldValues& into);

private:
    boost::asio::io_context io_;
    boost::asio::ip::tcp::socket socket_;
    boost::asio::streambuf input_;
};

}  // namespace soak
