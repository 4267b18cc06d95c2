#include "SimControl.h"

#include <istream>
#include <map>
#include <sstream>
#include <stdexcept>

#include <boost/asio/connect.hpp>
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

template <class Value, class Convert>
void addList(const std::string& text, std::set<Value>& into, Convert convert) {
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ','))
        if (!item.empty()) into.insert(convert(std::stoll(item)));
}

}  // namespace

int hostMode(int radioMode) {
    static const std::map<int, int> modes = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 3}, {9, 6}};
    const auto found = modes.find(radioMode);
    return found == modes.end() ? 0 : found->second;
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

Reading SimControl::truth(const std::string& radio) {
    auto fields = fieldsOf(ask("state " + radio));
    Reading reading;
    reading.split = std::stoi(fields["split"]);
    reading.rcvHz = std::stoll(fields["fa"]);
    reading.xmitHz = reading.split ? std::stoll(fields["fb"]) : reading.rcvHz;
    reading.mode = hostMode(std::stoi(fields["mode"]));
    return reading;
}

void SimControl::addHeld(const std::string& radio, HeldValues& into) {
    auto fields = fieldsOf(ask("held " + radio));
    const auto same = [](long long value) { return value; };
    addList(fields["fa"], into.vfoA, same);
    addList(fields["fb"], into.vfoB, same);
    addList(fields["mode"], into.modes, [](long long code) { return hostMode(static_cast<int>(code)); });
    addList(fields["split"], into.splits, [](long long value) { return static_cast<int>(value); });
}

}  // namespace soak
