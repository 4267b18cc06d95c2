#include "Protocol.h"

#include <algorithm>
#include <cstdio>

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

std::string frequency(const char* tag, const std::string& arg, int64_t& vfo) {
    if (arg.empty()) return withNumber(tag, vfo, 11);
    if (arg.size() != 11 || !allDigits(arg)) return unknown;
    vfo = std::stoll(arg);
    return {};
}

std::string split(const std::string& arg, RadioState& state) {
    if (arg.empty()) return state.split ? "FT1;" : "FT0;";
    if (arg != "0" && arg != "1") return unknown;
    state.split = arg == "1";
    return {};
}

std::string mode(const char* tag, const std::string& arg, int& value) {
    if (arg.empty()) return withNumber(tag, value, 1);
    if (arg.size() != 1 || arg[0] < '1' || arg[0] > '9') return unknown;
    value = arg[0] - '0';
    return {};
}

std::string keyerSpeed(const std::string& arg, RadioState& state) {
    if (arg.empty()) return withNumber("KS", state.keyerSpeed, 3);
    if (arg.size() != 3 || !allDigits(arg)) return unknown;
    const int wpm = std::stoi(arg);
    if (wpm < 8 || wpm > 50) return unknown;
    state.keyerSpeed = wpm;
    return {};
}

std::string step(int64_t delta, RadioState& state) {
    state.vfoA = std::clamp<int64_t>(state.vfoA + delta, 0, maxFrequency);
    return {};
}

// Commands without an argument: the argument must be empty.
std::string bare(const std::string& arg, std::string (*apply)(RadioState&), RadioState& state) {
    return arg.empty() ? apply(state) : unknown;
}

std::string transmit(RadioState& state) {
    state.transmitting = true;
    return {};
}

std::string receive(RadioState& state) {
    state.transmitting = false;
    return {};
}

std::string transmitQuery(RadioState& state) { return state.transmitting ? "TQ1;" : "TQ0;"; }

std::string clearRit(RadioState& state) {
    state.ritOffset = 0;
    return {};
}

std::string identify(RadioState&) { return "ID017;"; }

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

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
    if (command.size() < 2) return unknown;
    const std::string arg = command.substr(2);
    if (startsWith(command, "MD$")) return mode("MD$", command.substr(3), state.subMode);
    if (startsWith(command, "MD")) return mode("MD", arg, state.mode);
    if (startsWith(command, "FA")) return frequency("FA", arg, state.vfoA);
    if (startsWith(command, "FB")) return frequency("FB", arg, state.vfoB);
    if (startsWith(command, "FT")) return split(arg, state);
    if (startsWith(command, "KS")) return keyerSpeed(arg, state);
    if (startsWith(command, "UP")) return arg.empty() ? step(settings.stepHz, state) : unknown;
    if (startsWith(command, "DN")) return arg.empty() ? step(-settings.stepHz, state) : unknown;
    if (startsWith(command, "TX")) return bare(arg, transmit, state);
    if (startsWith(command, "RX")) return bare(arg, receive, state);
    if (startsWith(command, "TQ")) return bare(arg, transmitQuery, state);
    if (startsWith(command, "RC")) return bare(arg, clearRit, state);
    if (startsWith(command, "ID")) return bare(arg, identify, state);
    return unknown;
}

}  // namespace k4sim
