// What discovery writes to the log about the answers of a run: each answer's
// entry, the entry of a listed id that answers from another address, and the
// budget that keeps one run from writing more than 200 entries for answers
// that are ignored or repeat a listed id, however many a device on the LAN
// sends. The first answer of every radio listed is always written.
#pragma once

#include <cstddef>
#include <string>

#include <boost/asio/ip/udp.hpp>

#include "discovery/Response.h"

namespace K4Ip {

// "Discovery Response <address>", and " ignored (<reason>)" for an answer
// that is not listed.
std::string responseMessage(const boost::asio::ip::udp::endpoint& from, Rejection rejection);

// "Discovery id "<id>" moved from <old address> to <new address>"; a byte of
// the id that is not printable ASCII, a '"' and a '\' show as \xNN.
std::string movedMessage(const std::string& id, const boost::asio::ip::address& from,
                         const boost::asio::ip::address& to);

// The entry at the end of a run that left answers out of the log.
std::string leftOutMessage(size_t answers);

class AnswerLogBudget {
public:
    static constexpr size_t kEntriesPerRun = 200;

    // Whether one more answer that is ignored or repeats a listed id may
    // write its entries; once one does not fit, none of the run does, and
    // each is counted.
    bool admit(size_t entries);
    // The number of answers the ending run left out; the budget starts
    // afresh for the next run.
    size_t endRun();

private:
    size_t used_ = 0;
    size_t leftOut_ = 0;
};

}  // namespace K4Ip
