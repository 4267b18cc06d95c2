#include "Control.h"

#include <sstream>
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

std::string carryOut(const std::string& verb, Radio& radio, const std::vector<std::string>& rest) {
    if (verb == "state" && rest.empty())
        return "ok " + stateText(radio.state()) + " rejected=" + std::to_string(radio.rejectedCount());
    if (verb == "faults") return setFaults(radio, rest);
    if (verb == "clear" && rest.empty()) {
        radio.setFaults({});
        return "ok";
    }
    return "error unknown request '" + verb + "'";
}

}  // namespace

std::string controlAnswer(Simulator& simulator, const std::string& request) {
    std::istringstream words(request);
    std::string verb, name, word;
    words >> verb >> name;
    std::vector<std::string> rest;
    while (words >> word) rest.push_back(word);
    Radio* radio = simulator.findRadio(name);
    if (!radio) return "error no radio named '" + name + "'";
    try {
        return carryOut(verb, *radio, rest);
    } catch (const std::exception& error) {
        return std::string("error ") + error.what();
    }
}

}  // namespace k4sim
