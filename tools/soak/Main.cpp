// soak: the driver through a contest weekend under faults. Acts as the
// logger on 2 to 4 rig slots against a k4sim run separately (with its
// control port), switching the radios' faults one after another, and
// prints the final table; exits 1 on any violation.
//
//   soak --control PORT --discovery-port PORT --rig NAME:PORT (2 to 4 times)
//        --spare NAME:PORT [--minutes M | --seconds S] [--only KINDS]
//        [--skip KINDS] [--seed N] [--proc-file FILE] [--memory-check 0|1]
//
// KINDS is a comma-separated list of fault kinds (see FaultKinds.cpp); FILE
// names this process's /proc entry for the memory, thread and handle counts
// (needed under Wine, see ProcessGauge.h; natively /proc/self). Under
// Windows the driver is the registered DLL, created through COM in a
// single-threaded apartment; natively its objects are made in this process.
// It talks to 127.0.0.1 only: run it inside a private network namespace
// (tools/soak/run_soak.sh does).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

#include "Report.h"
#include "Soak.h"
#include "tools/comhost/ComHost.h"

namespace {

using namespace soak;

RadioPort radioPort(const std::string& text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) throw std::invalid_argument("expected NAME:PORT, not " + text);
    return {text.substr(0, colon), static_cast<uint16_t>(std::stoi(text.substr(colon + 1)))};
}

SoakOptions parse(int argc, char** argv) {
    SoakOptions options;
    std::string only, skip;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) throw std::invalid_argument("missing value after " + arg);
        const std::string value = argv[++i];
        if (arg == "--seconds") options.seconds = std::stod(value);
        else if (arg == "--minutes") options.seconds = std::stod(value) * 60;
        else if (arg == "--control") options.controlPort = static_cast<uint16_t>(std::stoi(value));
        else if (arg == "--discovery-port") options.discoveryPort = static_cast<uint16_t>(std::stoi(value));
        else if (arg == "--rig") options.rigs.push_back(radioPort(value));
        else if (arg == "--spare") options.spare = radioPort(value);
        else if (arg == "--only") only = value;
        else if (arg == "--skip") skip = value;
        else if (arg == "--proc-file") options.procFile = value;
        else if (arg == "--memory-check") options.memoryCheck = value != "0";
        else if (arg == "--seed") options.seed = static_cast<unsigned>(std::stoul(value));
        else throw std::invalid_argument("unknown option " + arg);
    }
    if (options.rigs.size() < 2 || options.rigs.size() > 4) throw std::invalid_argument("give 2 to 4 --rig");
    if (options.spare.name.empty() || options.controlPort == 0) throw std::invalid_argument("--spare and --control are needed");
    options.kinds = chooseFaultKinds(only, skip);
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const SoakOptions options = parse(argc, argv);
        comhost::HostSession session;
        std::printf("soak: %zu rigs, %.0f s, %zu fault kinds; %s\n", options.rigs.size(), options.seconds,
                    options.kinds.size(), comhost::hostDescription());
        std::fflush(stdout);
        bool passed = false;
        {
            auto manager = comhost::createRigManager();
            com::ComPtr<IRadioChooser> chooser;
            if (FAILED(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive()))))
                throw std::runtime_error("the rig manager offers no IRadioChooser");
            passed = printReport(Soak(options, chooser.get()).run());
        }
        std::fflush(stdout);
        return passed ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soak: %s\n", error.what());
        return 2;
    }
}
