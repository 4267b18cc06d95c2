#include "discovery/AnswerLog.h"

#include <cstdio>

namespace K4Ip {

namespace {
const char kResponseLabel[] = "Discovery Response ";

bool isShownAsItIs(unsigned char byte) { return byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\'; }
}  // namespace

std::string responseMessage(const boost::asio::ip::udp::endpoint& from, Rejection rejection) {
    std::string message = kResponseLabel + from.address().to_string();
    if (rejection != Rejection::none) message += std::string(" ignored (") + rejectionText(rejection) + ")";
    return message;
}

std::string movedMessage(const std::string& id, const boost::asio::ip::address& from,
                         const boost::asio::ip::address& to) {
    std::string shown;
    for (const char c : id) {
        const auto byte = static_cast<unsigned char>(c);
        if (isShownAsItIs(byte)) {
            shown.push_back(c);
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        shown += escaped;
    }
    return "Discovery id \"" + shown + "\" moved from " + from.to_string() + " to " + to.to_string();
}

std::string leftOutMessage(size_t answers) {
    return "Discovery left " + std::to_string(answers) +
           " answers out of the log: ignored or repeating a listed id, past " +
           std::to_string(AnswerLogBudget::kEntriesPerRun) + " entries in this run";
}

bool AnswerLogBudget::admit(size_t entries) {
    if (leftOut_ == 0 && used_ + entries <= kEntriesPerRun) {
        used_ += entries;
        return true;
    }
    ++leftOut_;
    return false;
}

size_t AnswerLogBudget::endRun() {
    const size_t leftOut = leftOut_;
    *this = AnswerLogBudget();
    return leftOut;
}

}  // namespace K4Ip
