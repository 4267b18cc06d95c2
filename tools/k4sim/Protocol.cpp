#include "Protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace k4sim {

namespace {

const std::string unknown = "?;";
constexpr int64_t maxFrequency = 99999999999;  // what 11 digits hold

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string withNumber(const char* tag, int64_t value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%0*lld;", tag, width, static_cast<long long>(value));
    return text;
}

// A numeric setting: the query answers the tag and the value in `width`
// digits; a set takes exactly `width` digits of a value `allowed` accepts.
template <class Value, class Allowed>
std::string setting(const char* tag, const std::string& arg, Value& value, int width, Allowed allowed) {
    if (arg.empty()) return withNumber(tag, static_cast<int64_t>(value), width);
    if (arg.size() != static_cast<std::size_t>(width) || !allDigits(arg)) return unknown;
    const int64_t wanted = std::stoll(arg);
    if (!allowed(wanted)) return unknown;
    value = static_cast<Value>(wanted);
    return {};
}

auto upTo(int64_t high) {
    return [high](int64_t value) { return value <= high; };
}

auto between(int64_t low, int64_t high) {
    return [low, high](int64_t value) { return value >= low && value <= high; };
}

std::string step(const std::string& arg, int64_t delta, RadioState& state) {
    if (!arg.empty()) return unknown;
    state.vfoA = std::clamp<int64_t>(state.vfoA + delta, 0, maxFrequency);
    return {};
}

// Commands without an argument: the argument must be empty.
template <class Apply>
std::string bare(const std::string& arg, Apply apply) {
    return arg.empty() ? apply() : unknown;
}

// The transceiver information answer, 38 characters.
std::string information(const RadioState& state) {
    char text[64];
    const int rit = state.ritOffset;
    std::snprintf(text, sizeof text, "IF%011lld     %c%04d00 00%d%d%d0%d0%d1 ;", static_cast<long long>(state.vfoA),
                  rit < 0 ? '-' : '+', std::min(std::abs(rit), 9999), state.transmitting ? 1 : 0, state.mode,
                  state.receiveVfo, state.split ? 1 : 0, state.dataModeA);
    return text;
}

using Handler = std::string (*)(const std::string& arg, RadioState& state, const ProtocolSettings& settings);

struct Command {
    const char* tag;
    Handler handle;
};

// Longer tags before the shorter ones they begin with (MD$ before MD).
const Command commands[] = {
    {"MD$", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("MD$", a, s.subMode, 1, between(1, 9)); }},
    {"MD", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("MD", a, s.mode, 1, between(1, 9)); }},
    {"DT$", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("DT$", a, s.dataModeB, 1, upTo(3)); }},
    {"DT", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("DT", a, s.dataModeA, 1, upTo(3)); }},
    {"BW$", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("BW$", a, s.bandwidthB, 4, upTo(9999)); }},
    {"BW", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("BW", a, s.bandwidthA, 4, upTo(9999)); }},
    {"FA", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("FA", a, s.vfoA, 11, upTo(maxFrequency)); }},
    {"FB", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("FB", a, s.vfoB, 11, upTo(maxFrequency)); }},
    {"FT", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("FT", a, s.split, 1, upTo(1)); }},
    {"FR", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("FR", a, s.receiveVfo, 1, upTo(1)); }},
    {"KS", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("KS", a, s.keyerSpeed, 3, between(8, 50)); }},
    {"K2", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("K2", a, s.extendedMode, 1, upTo(3)); }},
    {"K3", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("K3", a, s.k3Mode, 1, upTo(1)); }},
    {"AI", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return setting("AI", a, s.autoInfo, 1, [](int64_t n) { return n <= 2 || n == 4; }); }},
    {"UP", [](const std::string& a, RadioState& s, const ProtocolSettings& p) { return step(a, p.stepHz, s); }},
    {"DN", [](const std::string& a, RadioState& s, const ProtocolSettings& p) { return step(a, -p.stepHz, s); }},
    {"TX", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return bare(a, [&] { s.transmitting = true; return std::string(); }); }},
    {"RX", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return bare(a, [&] { s.transmitting = false; return std::string(); }); }},
    {"TQ", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return bare(a, [&] { return std::string(s.transmitting ? "TQ1;" : "TQ0;"); }); }},
    {"RC", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return bare(a, [&] { s.ritOffset = 0; return std::string(); }); }},
    {"IF", [](const std::string& a, RadioState& s, const ProtocolSettings&) {
         return bare(a, [&] { return information(s); }); }},
    {"ID", [](const std::string& a, RadioState&, const ProtocolSettings&) {
         return bare(a, [] { return std::string("ID017;"); }); }},
    {"OM", [](const std::string& a, RadioState&, const ProtocolSettings&) {
         return bare(a, [] { return std::string("OM AP-S----4---;"); }); }},
    {"RVM", [](const std::string& a, RadioState&, const ProtocolSettings&) {
         return bare(a, [] { return std::string("RVM02.45;"); }); }},
    {"PS", [](const std::string& a, RadioState&, const ProtocolSettings&) {
         return bare(a, [] { return std::string("PS1;"); }); }},
    {"SB", [](const std::string& a, RadioState&, const ProtocolSettings&) {
         return bare(a, [] { return std::string("SB0;"); }); }},
};

}  // namespace

void CommandFramer::feed(const char* data, std::size_t size, std::vector<std::string>& commands) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == ';') {
            commands.push_back(pending_);
            pending_.clear();
        } else if (pending_.empty() && (c == '\r' || c == '\n' || c == ' ')) {
            continue;
        } else if (pending_.size() < maxCommandLength) {
            pending_ += c;
        }
    }
}

std::string answerCommand(const std::string& command, RadioState& state, const ProtocolSettings& settings) {
    for (const auto& known : commands) {
        const std::size_t length = std::strlen(known.tag);
        if (command.compare(0, length, known.tag) == 0) return known.handle(command.substr(length), state, settings);
    }
    return unknown;
}

}  // namespace k4sim
