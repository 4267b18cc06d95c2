// The soak's line to k4sim's control port: a radio's numbered history of
// whole states, the answers that ended its polls and Sets, its
// connections, the knob, and the faults. Blocking calls on the soak's thread; k4sim answers each request
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

// What k4sim's "answers" request reports.
struct Answers {
    long rejected = 0;  // commands answered "?;" since the start
    std::vector<AnswerMark> marks;
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
    // The marks numbered `from` on, oldest first.
    Answers answers(const std::string& radio, uint64_t from);
    LinkCounts connections(const std::string& radio);
    // The most bytes left unread on a half-open connection since that fault began.
    long unread(const std::string& radio);
    // Returns the number of the whole state the turn made.
    uint64_t knob(const std::string& radio, const KnobTurn& turn);

private:
    boost::asio::io_context io_;
    boost::asio::ip::tcp::socket socket_;
    boost::asio::streambuf input_;
};

// The entries of a "history" answer ("ok now=N SEQ:MS:FA:FB:MODE:SPLIT:TX:CAUSE ...").
std::vector<HistoryEntry> parseHistory(const std::string& answer);
// An "answers" answer ("ok now=N rejected=N NUMBER:CONNECTION:SEQ:KIND ...").
Answers parseAnswers(const std::string& answer);

}  // namespace soak
