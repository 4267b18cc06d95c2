#include "Control.h"

#include <chrono>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "CommandLine.h"
#include "Simulator.h"

namespace k4sim {

namespace {

std::string stateText(const RadioState& s) {
    std::ostringstream text;
    text << "fa=" << s.vfoA << " fb=" << s.vfoB << " split=" << s.split << " fr=" << s.receiveVfo
         << " mode=" << s.mode << " submode=" << s.subMode << " dt=" << s.dataModeA << " dt$=" << s.dataModeB
         << " bw=" << s.bandwidthA << " bw$=" << s.bandwidthB << " ks=" << s.keyerSpeed
         << " tx=" << s.transmitting;
    return text.str();
}

std::string historyText(const std::vector<HistoryEntry>& entries, uint64_t now) {
    std::ostringstream text;
    text << "now=" << now;
    for (const auto& e : entries)
        text << ' ' << e.seq << ':' << e.ms << ':' << e.state.vfoA << ':' << e.state.vfoB << ':' << e.state.mode
             << ':' << e.state.split << ':' << e.state.transmitting << ':' << static_cast<char>(e.cause);
    return text.str();
}

std::string answersText(const std::vector<AnswerMark>& marks, uint64_t now, std::size_t rejected) {
    std::ostringstream text;
    text << "now=" << now << " rejected=" << rejected;
    for (const auto& m : marks)
        text << ' ' << m.number << ':' << m.connection << ':' << m.seq << ':' << static_cast<char>(m.kind);
    return text.str();
}

std::string linkText(const LinkCounts& links) {
    return "open=" + std::to_string(links.open) + " opened=" + std::to_string(links.opened) +
           " received=" + std::to_string(links.received) + " sent=" + std::to_string(links.sent);
}

// The radio's faults by their keys; `refuse` closes or opens its port, as
// the radio key of the same name does on the command line.
std::string setFaults(Simulator& simulator, std::size_t index, const std::vector<std::string>& items) {
    Radio& radio = simulator.radio(index);
    Faults faults = radio.faults();
    std::optional<bool> listening;
    for (const auto& item : items) {
        const auto equals = item.find('=');
        const std::string key = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
        if (key == "refuse") listening = !flagValue(key, value);
        else if (!applyFaultKey(faults, key, value)) return "error unknown fault '" + key + "'";
    }
    radio.setFaults(faults);
    if (listening) simulator.setListening(index, *listening);
    return "ok";
}

long long numberIn(const std::string& text, long long low, long long high) {
    std::size_t used = 0;
    const long long value = std::stoll(text, &used);
    if (used != text.size() || value < low || value > high) throw std::invalid_argument("number out of range");
    return value;
}

// One number argument, 0 to `high`.
long long argument(const std::vector<std::string>& rest, long long high) {
    if (rest.size() != 1) throw std::invalid_argument("expected one number");
    return numberIn(rest[0], 0, high);
}

KnobTurn knobTurn(const std::vector<std::string>& items) {
    if (items.empty()) throw std::invalid_argument("expected fa=, fb=, mode= or split=");
    KnobTurn turn;
    for (const auto& item : items) {
        const auto equals = item.find('=');
        const std::string key = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
        if (key == "fa") turn.vfoA = numberIn(value, 0, 99999999999);
        else if (key == "fb") turn.vfoB = numberIn(value, 0, 99999999999);
        else if (key == "mode") turn.mode = static_cast<int>(numberIn(value, 1, 9));
        else if (key == "split") turn.split = numberIn(value, 0, 1) == 1;
        else throw std::invalid_argument("unknown knob '" + key + "'");
    }
    return turn;
}

std::string carryOut(Simulator& simulator, const std::string& verb, std::size_t index,
                     const std::vector<std::string>& rest) {
    Radio& radio = simulator.radio(index);
    if (verb == "state" && rest.empty())
        return "ok " + stateText(radio.state()) + " rejected=" + std::to_string(radio.rejectedCount());
    if (verb == "knob") return "ok seq=" + std::to_string(radio.turnKnob(knobTurn(rest)));
    if (verb == "history") {
        const auto from = static_cast<uint64_t>(argument(rest, std::numeric_limits<long long>::max()));
        return "ok " + historyText(radio.history(from), radio.currentSeq());
    }
    if (verb == "answers") {
        const auto from = static_cast<uint64_t>(argument(rest, std::numeric_limits<long long>::max()));
        return "ok " + answersText(radio.answers(from), radio.lastAnswer(), radio.rejectedCount());
    }
    if (verb == "unread" && rest.empty()) return "ok unread=" + std::to_string(radio.unreadPeak());
    if (verb == "faults") return setFaults(simulator, index, rest);
    if (verb == "clear" && rest.empty()) {
        radio.setFaults({});
        simulator.setListening(index, true);
        return "ok";
    }
    if (verb == "reboot") {
        simulator.reboot(index, std::chrono::milliseconds(argument(rest, 3600000)));
        return "ok";
    }
    if (verb == "inject") {
        const std::string bytes(static_cast<std::size_t>(argument(rest, 10000000)), 'x');
        return "ok connections=" + std::to_string(simulator.injectAll(index, bytes));
    }
    if (verb == "connections" && rest.empty()) return "ok " + linkText(radio.linkCounts());
    return "error unknown request '" + verb + "'";
}

}  // namespace

std::string controlAnswer(Simulator& simulator, const std::string& request) {
    std::istringstream words(request);
    std::string verb, name, word;
    words >> verb >> name;
    std::vector<std::string> rest;
    while (words >> word) rest.push_back(word);
    const auto index = simulator.indexOf(name);
    if (!index) return "error no radio named '" + name + "'";
    try {
        return carryOut(simulator, verb, *index, rest);
    } catch (const std::exception& error) {
        return std::string("error ") + error.what();
    }
}

}  // namespace k4sim
