#include "Control.h"

#include <chrono>
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

template <class Values>
std::string joined(const Values& values) {
    std::ostringstream text;
    for (const auto& value : values) text << (&value == &*values.begin() ? "" : ",") << value;
    return text.str();
}

std::string heldText(const HeldValues& held) {
    return "fa=" + joined(held.vfoA) + " fb=" + joined(held.vfoB) + " mode=" + joined(held.modes) +
           " split=" + joined(held.splits);
}

std::string linkText(const LinkCounts& links) {
    return "open=" + std::to_string(links.open) + " opened=" + std::to_string(links.opened) +
           " received=" + std::to_string(links.received) + " sent=" + std::to_string(links.sent);
}

std::string setFaults(Radio& radio, const std::vector<std::string>& items) {
    Faults faults = radio.faults();
    for (const auto& item : items) {
        const auto equals = item.find('=');
        const std::string key = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
        if (!applyFaultKey(faults, key, value)) return "error unknown fault '" + key + "'";
    }
    radio.setFaults(faults);
    return "ok";
}

// One number argument, 0 to `high`.
long long argument(const std::vector<std::string>& rest, long long high) {
    if (rest.size() != 1) throw std::invalid_argument("expected one number");
    std::size_t used = 0;
    const long long value = std::stoll(rest[0], &used);
    if (used != rest[0].size() || value < 0 || value > high) throw std::invalid_argument("number out of range");
    return value;
}

std::string carryOut(Simulator& simulator, const std::string& verb, std::size_t index,
                     const std::vector<std::string>& rest) {
    Radio& radio = simulator.radio(index);
    if (verb == "state" && rest.empty())
        return "ok " + stateText(radio.state()) + " rejected=" + std::to_string(radio.rejectedCount());
    if (verb == "held" && rest.empty()) return "ok " + heldText(radio.takeHeld());
    if (verb == "faults") return setFaults(radio, rest);
    if (verb == "clear" && rest.empty()) {
        radio.setFaults({});
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
