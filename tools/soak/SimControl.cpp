#include "SimControl.h"

#include <istream>
#include <map>
#include <sstream>
#include <stdexcept>

#include <boost/asio/read_until.hpp>
#include <boost/asio/write.hpp>

namespace soak {
namespace {

// "ok key=value key=value..." into its fields.
std::map<std::string, std::string> fieldsOf(const std::string& answer) {
    std::map<std::string, std::string> fields;
    std::istringstream words(answer.substr(2));
    std::string word;
    while (words >> word) {
        const auto equals = word.find('=');
        if (equals != std::string::npos) fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return fields;
}

HistoryEntry entryOf(const std::string& word) {
    std::vector<std::string> parts;
    std::istringstream fields(word);
    for (std::string part; std::getline(fields, part, ':');) parts.push_back(part);
    if (parts.size() != 8 || parts[7].size() != 1) throw std::runtime_error("k4sim sent a history entry '" + word + "'");
    HistoryEntry entry;
    entry.seq = std::stoull(parts[0]);
    entry.state = {std::stoll(parts[2]), std::stoll(parts[3]), std::stoi(parts[4]), parts[5] == "1", parts[6] == "1"};
    entry.cause = parts[7][0];
    return entry;
}

}  // namespace

std::vector<HistoryEntry> parseHistory(const std::string& answer) {
    std::vector<HistoryEntry> entries;
    std::istringstream words(answer.substr(2));
    std::string word;
    while (words >> word)
        if (word.rfind("now=", 0) != 0) entries.push_back(entryOf(word));
    return entries;
}

SimControl::SimControl(uint16_t port) : socket_(io_) {
    boost::system::error_code error;
    socket_.connect({boost::asio::ip::make_address("127.0.0.1"), port}, error);
    if (error) throw std::runtime_error("cannot reach k4sim's control port: " + error.message());
}

std::string SimControl::ask(const std::string& request) {
    boost::asio::write(socket_, boost::asio::buffer(request + "\n"));
    boost::asio::read_until(socket_, input_, '\n');
    std::istream in(&input_);
    std::string answer;
    std::getline(in, answer);
    if (answer.rfind("ok", 0) != 0) throw std::runtime_error("k4sim refused '" + request + "': " + answer);
    return answer;
}

std::vector<HistoryEntry> SimControl::history(const std::string& radio, uint64_t from) {
    return parseHistory(ask("history " + radio + " " + std::to_string(from)));
}

LinkCounts SimControl::connections(const std::string& radio) {
    auto fields = fieldsOf(ask("connections " + radio));
    return {std::stoi(fields["open"]), std::stoi(fields["opened"]), std::stoll(fields["received"]),
            std::stoll(fields["sent"])};
}

uint64_t SimControl::knob(const std::string& radio, const KnobTurn& turn) {
    std::string request = "knob " + radio;
    if (turn.vfoA >= 0) request += " fa=" + std::to_string(turn.vfoA);
    if (turn.vfoB >= 0) request += " fb=" + std::to_string(turn.vfoB);
    if (turn.mode >= 0) request += " mode=" + std::to_string(turn.mode);
    if (turn.split >= 0) request += " split=" + std::to_string(turn.split);
    return std::stoull(fieldsOf(ask(request))["seq"]);
}

}  // namespace soak
