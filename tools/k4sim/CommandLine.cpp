#include "CommandLine.h"

#include <cctype>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>

namespace k4sim {

namespace {

const char* const usage = R"(Usage: k4sim [options]
Simulates K4 radios: each answers the K4 text protocol on its own TCP port,
and all of them answer discovery probes ("findk4") on one UDP port.

Options:
  --radio KEYS           add a radio; KEYS is KEY=VALUE[,KEY=VALUE...] with
                         the radio keys below. Without --radio: one radio.
  --bind ADDR            address the TCP ports listen on (default 0.0.0.0)
  --discovery-port N     UDP discovery port (default 9100; 0: any free port)
  --discovery-bind ADDR  address of the discovery socket (default 0.0.0.0)
  --no-discovery         do not answer probes
  --record FILE          append every byte the radios receive to FILE
  --pty                  also serve the first radio on a pseudo-terminal
                         (Linux); its path is printed before the ready line
  --pty-link PATH        make PATH a symbolic link to that terminal
  --control PORT         serve the control port (0: any free port) on the
                         --bind address: one request per line, e.g.
                         "state K4-1", "faults K4-1 silent=1 latency-ms=500",
                         "clear K4-1"; each answered by one line
  --duration S           exit after S seconds (default: until SIGINT/SIGTERM)
  --help                 show this text

Defaults for every radio (a radio's own key wins):
  --latency-ms N         delay every answer by N ms
  --close-after N        hang up a TCP connection after N commands
  --silent               read everything, answer nothing
  --refuse               do not listen (connections are refused)
  --garbage TEXT         write TEXT (no ';') before every answer
  --flood N              answer each probe with N datagrams of distinct ids
  --real-shape           answer probes as k4:<index>:<ip address>:<id>
  --step-hz N            UP/DN step of VFO A (default 10)

Radio keys (n is the radio's position, from 1):
  name=TEXT id=TEXT info=TEXT     discovery answer k4:<name>:<info>:<id>
                                  (defaults K4-n, K4SIMnnn, K4)
  port=N                          TCP port (default 9199+n; 0: any free port)
  bind=ADDR                       this radio's address for TCP and answers
  shape=named|real index=N ip=TEXT
                                  real shape k4:<index>:<ip>:<id> (index 0,
                                  ip: the address the answer leaves from)
  latency-ms=N close-after=N silent refuse garbage=TEXT flood=N step-hz=N
  cut=N                           write only N bytes of the next answers, then
                                  hang up (a connection cut mid-answer)
  halfopen                        stop reading and answering but keep the
                                  connections open (writes to the radio
                                  stall); cleared: those connections are reset
  drip-ms=N                       write the answers one byte at a time, N ms
                                  apart
  pause-ms=N                      pause N ms inside every FB answer, after its
                                  first five bytes (a delayed segment)
  stall                           stop reading (what was read is answered)
                                  but keep the connections; cleared: reading
                                  resumes on the same connections
  stray=TEXT                      write TEXT (';' allowed: stray=?;) after
                                  every answer
  set-knob=HZ                     at each KS query (the end of a Set), first
                                  move VFO A by HZ, as an operator turning the
                                  knob while the Set is under way
  churn                           with flood: new ids with every probe
  pad=N id-tail=TEXT              discovery answers with a name N characters
                                  longer, with TEXT added to the id
  record=FILE                     append this radio's received bytes to FILE
  fa=HZ fb=HZ mode=N submode=N split=0|1 ks=N   initial state

TEXT may hold \r, \n, \\ and \xNN escapes (\x2C for a comma).
Once every port is open, the program prints one line per radio, one for
discovery, one for the control port, and then "k4sim ready".
)";

long long number(const std::string& what, const std::string& text, long long low, long long high) {
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || value < low || value > high)
        throw UsageError(what + ": not a number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ": '" + text + "'");
    return value;
}

int count(const std::string& what, const std::string& text) {
    return static_cast<int>(number(what, text, 0, std::numeric_limits<int>::max()));
}

bool flag(const std::string& what, const std::string& text) {
    if (text.empty() || text == "1" || text == "yes") return true;
    if (text == "0" || text == "no") return false;
    throw UsageError(what + ": expected 1 or 0: '" + text + "'");
}

std::string garbage(const std::string& text) {
    std::string bytes = unescape(text);
    if (bytes.find(';') != std::string::npos) throw UsageError("garbage must not contain ';'");
    return bytes;
}

AnswerShape shape(const std::string& text) {
    if (text == "named") return AnswerShape::named;
    if (text == "real") return AnswerShape::real;
    throw UsageError("shape: expected named or real: '" + text + "'");
}

using KeySetter = std::function<void(RadioOptions&, const std::string& key, const std::string& value)>;

const std::map<std::string, KeySetter>& radioKeys() {
    static const std::map<std::string, KeySetter> keys = {
        {"name", [](RadioOptions& r, auto&, auto& v) { r.name = unescape(v); }},
        {"id", [](RadioOptions& r, auto&, auto& v) { r.id = unescape(v); }},
        {"info", [](RadioOptions& r, auto&, auto& v) { r.info = unescape(v); }},
        {"port", [](RadioOptions& r, auto& k, auto& v) { r.port = static_cast<uint16_t>(number(k, v, 0, 65535)); }},
        {"bind", [](RadioOptions& r, auto&, auto& v) { r.bindAddress = v; }},
        {"shape", [](RadioOptions& r, auto&, auto& v) { r.shape = shape(v); }},
        {"index", [](RadioOptions& r, auto& k, auto& v) { r.index = count(k, v); }},
        {"ip", [](RadioOptions& r, auto&, auto& v) { r.ipText = unescape(v); }},
        {"record", [](RadioOptions& r, auto&, auto& v) { r.recordFile = v; }},
        {"refuse", [](RadioOptions& r, auto& k, auto& v) { r.listening = !flag(k, v); }},
        {"step-hz", [](RadioOptions& r, auto& k, auto& v) { r.protocol.stepHz = number(k, v, 1, 1000000000); }},
        {"fa", [](RadioOptions& r, auto& k, auto& v) { r.initialState.vfoA = number(k, v, 0, 99999999999); }},
        {"fb", [](RadioOptions& r, auto& k, auto& v) { r.initialState.vfoB = number(k, v, 0, 99999999999); }},
        {"mode", [](RadioOptions& r, auto& k, auto& v) { r.initialState.mode = static_cast<int>(number(k, v, 1, 9)); }},
        {"submode",
         [](RadioOptions& r, auto& k, auto& v) { r.initialState.subMode = static_cast<int>(number(k, v, 1, 9)); }},
        {"split", [](RadioOptions& r, auto& k, auto& v) { r.initialState.split = flag(k, v); }},
        {"ks", [](RadioOptions& r, auto& k, auto& v) { r.initialState.keyerSpeed = static_cast<int>(number(k, v, 8, 50)); }},
    };
    return keys;
}

using FaultSetter = std::function<void(Faults&, const std::string& key, const std::string& value)>;

const std::map<std::string, FaultSetter>& faultKeys() {
    static const std::map<std::string, FaultSetter> keys = {
        {"latency-ms", [](Faults& f, auto& k, auto& v) { f.latencyMs = count(k, v); }},
        {"close-after", [](Faults& f, auto& k, auto& v) { f.closeAfter = count(k, v); }},
        {"silent", [](Faults& f, auto& k, auto& v) { f.silent = flag(k, v); }},
        {"garbage", [](Faults& f, auto&, auto& v) { f.garbage = garbage(v); }},
        {"flood", [](Faults& f, auto& k, auto& v) { f.flood = count(k, v); }},
        {"cut", [](Faults& f, auto& k, auto& v) { f.cut = count(k, v); }},
        {"churn", [](Faults& f, auto& k, auto& v) { f.churn = flag(k, v); }},
        {"pad", [](Faults& f, auto& k, auto& v) { f.pad = count(k, v); }},
        {"id-tail", [](Faults& f, auto&, auto& v) { f.idTail = unescape(v); }},
        {"halfopen", [](Faults& f, auto& k, auto& v) { f.halfOpen = flag(k, v); }},
        {"drip-ms", [](Faults& f, auto& k, auto& v) { f.dripMs = count(k, v); }},
        {"stray", [](Faults& f, auto&, auto& v) { f.stray = unescape(v); }},
        {"set-knob", [](Faults& f, auto& k, auto& v) { f.setKnobHz = number(k, v, -1000000000, 1000000000); }},
        {"pause-ms", [](Faults& f, auto& k, auto& v) { f.pauseMs = count(k, v); }},
        {"stall", [](Faults& f, auto& k, auto& v) { f.stall = flag(k, v); }},
    };
    return keys;
}

void applyRadioKey(RadioOptions& radio, const std::string& item) {
    const auto equals = item.find('=');
    const std::string key = item.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
    if (applyFaultKey(radio.faults, key, value)) return;
    const auto found = radioKeys().find(key);
    if (found == radioKeys().end()) throw UsageError("unknown radio key '" + key + "'");
    found->second(radio, key, value);
}

RadioOptions makeRadio(const RadioOptions& defaults, std::size_t position, const std::string& keys) {
    RadioOptions radio = defaults;
    char id[32];
    std::snprintf(id, sizeof id, "K4SIM%03zu", position);
    radio.name = "K4-" + std::to_string(position);
    radio.id = id;
    radio.port = static_cast<uint16_t>(9199 + position);
    std::size_t start = 0;
    while (start < keys.size()) {
        std::size_t end = keys.find(',', start);
        if (end == std::string::npos) end = keys.size();
        if (end > start) applyRadioKey(radio, keys.substr(start, end - start));
        start = end + 1;
    }
    return radio;
}

// Reads options one by one; `value()` takes the argument that follows.
class Reader {
public:
    explicit Reader(const std::vector<std::string>& args) : args_(args) {}
    bool next() { return ++at_ < args_.size(); }
    const std::string& option() const { return args_[at_]; }
    const std::string& value() {
        if (at_ + 1 >= args_.size()) throw UsageError(option() + " needs a value");
        return args_[++at_];
    }

private:
    const std::vector<std::string>& args_;
    std::size_t at_ = static_cast<std::size_t>(-1);
};

// Options that set a default for every radio, as the radio key of the same name.
bool radioDefault(Reader& reader, RadioOptions& defaults) {
    const std::string name = reader.option().substr(2);
    if (name == "silent" || name == "refuse") {
        applyRadioKey(defaults, name);
    } else if (name == "real-shape") {
        defaults.shape = AnswerShape::real;
    } else if (name == "latency-ms" || name == "close-after" || name == "garbage" || name == "flood" ||
               name == "step-hz") {
        applyRadioKey(defaults, name + "=" + reader.value());
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool flagValue(const std::string& what, const std::string& text) { return flag(what, text); }

bool applyFaultKey(Faults& faults, const std::string& key, const std::string& value) {
    const auto found = faultKeys().find(key);
    if (found == faultKeys().end()) return false;
    found->second(faults, key, value);
    return true;
}

std::string unescape(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char kind = text[++i];
        if (kind == 'r') {
            bytes += '\r';
        } else if (kind == 'n') {
            bytes += '\n';
        } else if (kind == 'x' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += kind;  // "\\" and any other escaped character stand for themselves
        }
    }
    return bytes;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    SimOptions& options = line.options;
    RadioOptions defaults;
    std::vector<std::string> radioTexts;
    Reader reader(args);
    while (reader.next()) {
        const std::string& option = reader.option();
        if (option == "--help" || option == "-h") {
            line.help = true;
        } else if (option == "--radio") {
            radioTexts.push_back(reader.value());
        } else if (option == "--bind") {
            options.bindAddress = reader.value();
        } else if (option == "--discovery-port") {
            options.discoveryPort = static_cast<uint16_t>(number(option, reader.value(), 0, 65535));
        } else if (option == "--discovery-bind") {
            options.discoveryBind = reader.value();
        } else if (option == "--no-discovery") {
            options.discovery = false;
        } else if (option == "--record") {
            options.recordFile = reader.value();
        } else if (option == "--pty") {
            options.pty = true;
        } else if (option == "--pty-link") {
            options.ptyLink = reader.value();
            options.pty = true;
        } else if (option == "--control") {
            options.controlPort = static_cast<int>(number(option, reader.value(), 0, 65535));
        } else if (option == "--duration") {
            line.durationSeconds = count(option, reader.value());
        } else if (option.rfind("--", 0) != 0 || !radioDefault(reader, defaults)) {
            throw UsageError("unknown option '" + option + "'");
        }
    }
    if (radioTexts.empty()) radioTexts.emplace_back();
    for (std::size_t i = 0; i < radioTexts.size(); ++i) options.radios.push_back(makeRadio(defaults, i + 1, radioTexts[i]));
    return line;
}

const char* usageText() { return usage; }

}  // namespace k4sim
