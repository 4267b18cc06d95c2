// soak: the driver through a contest weekend under faults. Acts as the
// logger on 2 to 4 rig slots against a k4sim run separately (with its
// control port), with fault episodes on every slot and on a spare radio,
// and prints the final table; exits 1 on any failure.
//
//   soak --control PORT --discovery-port PORT --rig NAME,ID[,real] (2 to 4
//        times) --spare NAME,ID [--minutes M | --seconds S] [--only KINDS]
//        [--skip KINDS] [--seed N] [--proc-file FILE] [--memory-check 0|1]
//        [--break a..r] [--stop-on-violation 0|1] [--time-limit S]
//
// Each radio listens on TCP port 9200 of an address of its own; ",real"
// marks one that answers discovery as k4:<index>:<ip>:<id>. KINDS is a
// comma-separated list of fault kinds (FaultKinds.cpp); FILE names this
// process's /proc entry (ProcessGauge.h); --break switches on a fault of
// the soak's own making in the driver's interfaces (Breakage.h), to show
// the checks failing; --stop-on-violation ends the run at the first
// violation. The watchdog ends a run that outlives --time-limit (by
// default 7 minutes more than the run is meant to take). Under Windows the driver is the registered DLL,
// created through COM in a single-threaded apartment; natively its objects
// are made in this process. It talks to loopback addresses only: run it
// inside a private network namespace (tools/soak/run_soak.sh does).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>

#include "Report.h"
#include "Soak.h"
#include "log/LogFormat.h"
#include "platform/Profile.h"
#include "settings/Settings.h"
#include "tools/comhost/ComHost.h"

namespace {

using namespace soak;

RadioIdentity radioIdentity(const std::string& text) {
    std::istringstream fields(text);
    RadioIdentity identity;
    std::string shape;
    std::getline(fields, identity.name, ',');
    std::getline(fields, identity.id, ',');
    std::getline(fields, shape, ',');
    if (identity.name.empty() || identity.id.empty() || (!shape.empty() && shape != "real"))
        throw std::invalid_argument("expected NAME,ID[,real], not " + text);
    identity.realShape = shape == "real";
    return identity;
}

std::vector<std::string> skippedKinds(const std::vector<const FaultKind*>& chosen) {
    std::vector<std::string> skipped;
    for (const auto& kind : allFaultKinds()) {
        bool in = false;
        for (const auto* c : chosen) in = in || c == &kind;
        if (!in) skipped.push_back(kind.name);
    }
    return skipped;
}

constexpr double kTimeMarginSeconds = 420;  // past the last fault for every kind, the drain, and slack

struct Arguments {
    SoakOptions options;
    uint16_t discoveryPort = 9100;
    double timeLimit = 0;
};

Arguments parse(int argc, char** argv) {
    Arguments parsed;
    SoakOptions& options = parsed.options;
    std::string only, skip;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) throw std::invalid_argument("missing value after " + arg);
        const std::string value = argv[++i];
        if (arg == "--seconds") options.seconds = std::stod(value);
        else if (arg == "--minutes") options.seconds = std::stod(value) * 60;
        else if (arg == "--control") options.controlPort = static_cast<uint16_t>(std::stoi(value));
        else if (arg == "--discovery-port") parsed.discoveryPort = static_cast<uint16_t>(std::stoi(value));
        else if (arg == "--rig") options.rigs.push_back(radioIdentity(value));
        else if (arg == "--spare") options.spare = radioIdentity(value);
        else if (arg == "--only") only = value;
        else if (arg == "--skip") skip = value;
        else if (arg == "--proc-file") options.procFile = value;
        else if (arg == "--memory-check") options.memoryCheck = value != "0";
        else if (arg == "--seed") options.seed = static_cast<unsigned>(std::stoul(value));
        else if (arg == "--break") options.breakKind = breakKindFrom(value);
        else if (arg == "--stop-on-violation") options.stopOnViolation = value != "0";
        else if (arg == "--time-limit") parsed.timeLimit = std::stod(value);
        else throw std::invalid_argument("unknown option " + arg);
    }
    if (options.rigs.size() < 2 || options.rigs.size() > 4) throw std::invalid_argument("give 2 to 4 --rig");
    if (options.spare.name.empty() || options.controlPort == 0) throw std::invalid_argument("--spare and --control are needed");
    options.kinds = chooseFaultKinds(only, skip);
    options.skipped = skippedKinds(options.kinds);
    if (parsed.timeLimit <= 0) parsed.timeLimit = options.seconds + kTimeMarginSeconds;
    return parsed;
}

void writeSetting(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(settings::kSection, key.c_str(), value.c_str(), settings::kFile);
}

// The driver's log goes beside its settings file; it must be named before
// the first rig manager opens the log (--break p names a folder that does
// not exist, so that the driver writes none).
std::string writeSettings(uint16_t discoveryPort, const std::string& settingsPath, BreakKind breakKind) {
    const std::string folder = settingsPath.substr(0, settingsPath.find_last_of("/\\"));
    writeSetting("ELECRAFT_K4_PORTNUMBER", std::to_string(discoveryPort));
    writeSetting("LogFileFolder", breakKind == BreakKind::noLog ? folder + "/absent" : folder);
    const auto log = logformat::logFilePath(folder);
    if (!log) throw std::runtime_error("no log file path in " + folder);
    return *log;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Arguments arguments = parse(argc, argv);
        SoakOptions& options = arguments.options;
        comhost::HostSession session;
        options.settingsPath = comhost::settingsFilePath();
        LogScan log(writeSettings(arguments.discoveryPort, options.settingsPath, options.breakKind));
        std::printf("soak: %zu rigs, at least %.0f s, %zu fault kinds; %s\n", options.rigs.size(), options.seconds,
                    options.kinds.size(), comhost::hostDescription());
        std::fflush(stdout);
        Watchdog watchdog(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(arguments.timeLimit)));
        options.watchdog = &watchdog;
        SoakResult result;
        {
            auto manager = comhost::createRigManager();
            com::ComPtr<IRadioChooser> chooser;
            if (FAILED(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive()))))
                throw std::runtime_error("the rig manager offers no IRadioChooser");
            result = Soak(options, chooser.get(), log).run();
            result.calls.call("Release", {S_OK}, [&] {
                chooser.reset();
                manager.reset();
                return S_OK;
            });
        }
        result.calls.call("Release", {S_OK}, [] {
            comhost::releaseDriver();
            return S_OK;
        });
        if (options.breakKind == BreakKind::exceptionEntry) addExceptionEntry(log.path());
        scanDriverLog(log, result.calls, true);
        const bool passed = printReport(result);
        std::fflush(stdout);
        return passed ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soak: %s\n", error.what());
        return 2;
    }
}
