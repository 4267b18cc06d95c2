#include "tools/qbhost/LiveLine.h"

#include <cstdio>
#include <iostream>

#include "platform/Console.h"
#include "tools/qbhost/Values.h"

namespace qbhost {

std::string formatReading(const RigReading& r) {
    char line[160];
    std::snprintf(line, sizeof line, "RX %11.3f kHz  TX %11.3f kHz  %-6s  split %-3s", r.rxKhz, r.txKhz,
                  modeName(r.mode).c_str(), r.split ? "on" : "off");
    return line;
}

PollWatch::Outcome showLive(PollWatch& watch, IQbRig* rig, double seconds, const std::string& where,
                            std::ostream& out, const std::function<bool()>& stop) {
    const bool console = &out == &std::cout && platform::isConsole(stdout);
    const platform::Nanos end = watch.now() + static_cast<platform::Nanos>(seconds * 1e9);
    std::string shown;
    PollWatch::Outcome outcome;
    do {
        outcome = watch.awaitAnswer();
        if (outcome != PollWatch::Outcome::Answered) break;
        const std::string line = formatReading(readRig(rig)) + "  " + where + ", answering";
        if (console) out << '\r' << line << "   " << std::flush;
        else if (line != shown) out << line << std::endl;
        shown = line;
        watch.rest();
    } while (watch.now() < end && !(stop && stop()));
    if (console && !shown.empty()) out << '\n';
    return outcome;
}

}  // namespace qbhost
