// The soak's line to k4sim's control port: a radio's true state, its
// numbered history of whole states, its connections, the knob, and the
// faults. Blocking calls on the soak's thread; k4sim answers each request
// at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/streambuf.hpp>

#include "RadioHistory.h"

namespace soak {

// What k4sim's "connections" request reports.
struct LinkCounts {
    int open = 0;
    int opened = 0;
    long long received = 0;
    long long sent = 0;
};

// A change made on the radio's front panel; negative fields stay as they are.
struct KnobTurn {
    int64_t vfoA = -1;
    int64_t vfoB = -1;
    int mode = -1;
    int split = -1;
};

class SimControl {
public:
    // Connects to 127.0.0.1:port; throws std::runtime_error when it cannot.
    explicit SimControl(uint16_t port);

    // Sends a request and returns the answer line; throws when the answer
    // is not "ok...".
    std::string ask(const std::string& request);
    // The whole states numbered `from` on, oldest first.
    std::vector<HistoryEntry> history(const std::string& radio, uint64_t from);
    LinkCounts connections(const std::string& radio);
    // Returns the number of the whole state the turn made.
    uint64_t knob(const std::string& radio, const KnobTurn& turn);

private:
    boost::asio::io_context io_;
    boost::asio::ip::tcp::socket socket_;
    boost::asio::streambuf input_;
};

// The entries of a "history" answer ("ok now=N SEQ:MS:FA:FB:MODE:SPLIT:TX:CAUSE ...").
std::vector<HistoryEntry> parseHistory(const std::string& answer);

}  // namespace soak
