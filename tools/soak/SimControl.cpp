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

// The ':'-separated fields of one word, which must be `count` with a
// one-character last field.
std::vector<std::string> partsOf(const std::string& word, std::size_t count) {
    std::vector<std::string> parts;
    std::istringstream fields(word);
    for (std::string part; std::getline(fields, part, ':');) parts.push_back(part);
    if (parts.size() != count || parts.back().size() != 1) throw std::runtime_error("k4sim sent '" + word + "'");
    return parts;
}

// The words of an answer that are not key=value fields.
std::vector<std::string> itemsOf(const std::string& answer) {
    std::vector<std::string> items;
    std::istringstream words(answer.substr(2));
    for (std::string word; words >> word;)
        if (word.find('=') == std::string::npos) items.push_back(word);
    return items;
}

HistoryEntry entryOf(const std::string& word) {
    const auto parts = partsOf(word, 8);
    HistoryEntry entry;
    entry.seq = std::stoull(parts[0]);
    entry.state = {std::stoll(parts[2]), std::stoll(parts[3]), std::stoi(parts[4]), parts[5] == "1", parts[6] == "1"};
    entry.cause = parts[7][0];
    return entry;
}

}  // namespace

std::vector<HistoryEntry> parseHistory(const std::string& answer) {
    std::vector<HistoryEntry> entries;
    for (const auto& item : itemsOf(answer)) entries.push_back(entryOf(item));
    return entries;
}

Answers parseAnswers(const std::string& answer) {
    Answers answers;
    answers.rejected = std::stol(fieldsOf(answer)["rejected"]);
    for (const auto& item : itemsOf(answer)) {
        const auto parts = partsOf(item, 4);
        answers.marks.push_back({std::stoull(parts[0]), std::stoi(parts[1]), std::stoull(parts[2]), parts[3][0]});
    }
    return answers;
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

Answers SimControl::answers(const std::string& radio, uint64_t from) {
    return parseAnswers(ask("answers " + radio + " " + std::to_string(from)));
}

long SimControl::unread(const std::string& radio) { return std::stol(fieldsOf(ask("unread " + radio))["unread"]); }

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
