// e2e_bench: end-to-end figures of the driver against simulated K4s, printed
// as tables. The same source runs natively (the driver's objects made in this
// process) and under Wine (the registered QboxK4Driver.dll through COM).
//
//   e2e_bench [--polls N] [--idle-seconds S] [--gap-ms G] [--only SECTIONS]
//       network rig from the radio chooser, simulator in this process:
//       poll latency beside a plain TCP exchange (section "poll"), Set to
//       radio ("set"), a poll after an unanswered command ("unanswered"),
//       the longest host call of each method under faults ("faults",
//       --fault-seconds S per fault), idle cost of 1/10/50 rigs ("idle"),
//       discovery of 100 ("discovery");
//       SECTIONS is a comma-separated list of these names. --server-stat
//       Z:\proc\PID\stat adds the Wine server's CPU time to the idle figures.
//   e2e_bench --serial PORT [--polls N]
//       serial rig over the host port PORT (COM5, or a terminal path), to a
//       simulator run separately: poll latency beside a plain port exchange,
//       Set to confirmation
//
// It talks to 127.0.0.1 only; run it inside a private network namespace
// (tools/isolated, or bench/run_e2e.sh which runs every variant).
//
// Threads: everything here runs on the main thread; the simulator and each
// rig's link have threads of their own.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Figures.h"
#include "Host.h"
#include "HostCalls.h"
#include "IdleRigs.h"
#include "PlainExchange.h"
#include "Polling.h"
#include "SetTiming.h"
#include "UnansweredCommand.h"
#include "k4sim/Simulator.h"
#include "settings/Settings.h"
#include "platform/Profile.h"

namespace {

using namespace e2e;

struct Options {
    int polls = 2000;
    int sets = 0;  // an eighth of the polls
    int unansweredSamples = 40;
    int gapMs = 250;
    double idleSeconds = 10;
    int discoveryRadios = 100;
    double faultSeconds = 8;  // each fault of the host-call figures, and the recovery after it
    std::string serialPort;
    std::string serverStat;  // /proc/PID/stat of the Wine server, for the idle figures
    std::string only;  // comma-separated sections; empty: all

    bool runs(const char* section) const {
        return only.empty() || ("," + only + ",").find("," + std::string(section) + ",") != std::string::npos;
    }
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) throw std::invalid_argument("missing value after " + arg);
        const char* value = argv[++i];
        if (arg == "--polls") options.polls = std::atoi(value);
        else if (arg == "--idle-seconds") options.idleSeconds = std::atof(value);
        else if (arg == "--gap-ms") options.gapMs = std::atoi(value);
        else if (arg == "--serial") options.serialPort = value;
        else if (arg == "--only") options.only = value;
        else if (arg == "--server-stat") options.serverStat = value;
        else if (arg == "--fault-seconds") options.faultSeconds = std::atof(value);
        else throw std::invalid_argument("unknown option " + arg);
    }
    if (options.polls < 10) throw std::invalid_argument("--polls must be at least 10");
    options.sets = options.polls / 8 + 1;
    return options;
}

void writeSetting(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(settings::kSection, key.c_str(), value.c_str(), settings::kFile);
}

std::unique_ptr<k4sim::Simulator> startSimulator(int radios) {
    k4sim::SimOptions options;
    options.bindAddress = "127.0.0.1";
    options.discoveryPort = 0;
    options.recordInMemory = false;
    for (int i = 1; i <= radios; ++i) {
        k4sim::RadioOptions radio;
        char id[16];
        std::snprintf(id, sizeof id, "K4B%05d", i);
        radio.name = std::string("Bench-") + id;
        radio.id = id;
        radio.port = 0;
        options.radios.push_back(radio);
    }
    auto simulator = std::make_unique<k4sim::Simulator>(options);
    simulator->start();
    // Discovery probes the simulator's port; slot 0 connects to the first radio.
    writeSetting("ELECRAFT_K4_PORTNUMBER", std::to_string(simulator->discoveryPort()));
    writeSetting(settings::tcpPortKey(0), std::to_string(simulator->radio(0).port()));
    return simulator;
}

com::ComPtr<IRadioChooser> chooserOf(IRigManager3* manager) {
    com::ComPtr<IRadioChooser> chooser;
    expectOk(manager->QueryInterface(IID_IRadioChooser, reinterpret_cast<void**>(chooser.receive())),
             "QueryInterface(IRadioChooser)");
    return chooser;
}

// Lists the radios afresh: one discovery start and the wait for its answers.
int discoverRadios(IRadioChooser* chooser) {
    SHORT choices = 0;
    expectOk(chooser->GetNumChoices(0, 1, &choices), "GetNumChoices");
    return choices - 1;  // choice 0 is the address dialog
}

void printPollFigures(IQbRig* rig, const std::vector<double>& plain, const char* plainLabel, int polls) {
    timePolls(rig, CheckPace::yield, polls / 10);  // warm up the link and the caches
    const PollSeries tight = timePolls(rig, CheckPace::tight, polls);
    const PollSeries yielding = timePolls(rig, CheckPace::yield, polls);
    printSpreadHeader("microseconds");
    const Spread tightSpread = spreadOf(tight.micros);
    const Spread yieldSpread = spreadOf(yielding.micros);
    const Spread plainSpread = spreadOf(plain);
    printSpreadRow("rig: Launch -> MD$ Check, tight Checks", tightSpread);
    printSpreadRow("rig: Launch -> MD$ Check, yield+Check", yieldSpread);
    printSpreadRow(plainLabel, plainSpread);
    char note[200];
    std::snprintf(note, sizeof note,
                  "median rig / plain exchange: %.2f tight, %.2f yield (goal <= 1.5); polls the Checks left "
                  "incomplete: %d tight, %d yield",
                  tightSpread.median / plainSpread.median, yieldSpread.median / plainSpread.median, tight.incomplete,
                  yielding.incomplete);
    printNote(note);
}

void printSetConfirmed(IQbRig* rig, int sets) {
    const SetSeries confirmed = timeSetConfirmed(rig, sets);
    printSpreadRow("Set -> KS taken, next Launch polls", spreadOf(confirmed.micros));
    if (confirmed.timedOut) printNote(std::to_string(confirmed.timedOut) + " Sets were never confirmed");
}

void printSetFigures(IQbRig* rig, k4sim::Radio& radio, int sets) {
    printTitle("3. Set (FA, MD, FT0, KS) to the radio, " + std::to_string(sets) + " Sets each");
    printSpreadHeader("microseconds");
    printSpreadRow("Set -> simulator executed FA",
                   spreadOf(timeSetApplied(rig, radio, sets)));
    printSetConfirmed(rig, sets);
}

void printUnansweredFigures(IQbRig* rig, uint16_t radioPort, const Options& options) {
    printTitle("6. a poll right after \"TX;\" (not answered), " + std::to_string(options.unansweredSamples) +
               " of each, " + std::to_string(options.gapMs) + " ms apart, yield+Check");
    const UnansweredSeries unanswered = timePollAfterUnanswered(rig, radioPort, options.unansweredSamples, options.gapMs);
    printSpreadHeader("microseconds");
    printSpreadRow("plain TCP exchange after the same gap", spreadOf(unanswered.plainAfterGap));
    printSpreadRow("poll alone", spreadOf(unanswered.pollAlone));
    printSpreadRow("poll right after TX;", spreadOf(unanswered.afterCommand));
    printNote("polls left incomplete: " + std::to_string(unanswered.incomplete));
}

void printHostCallFigures(IQbRig* rig, k4sim::Simulator& simulator, double faultSeconds) {
    printTitle("7. host calls under faults (late, pause, garbage, drip, cut, silent, halfopen, stall, reboot; " +
               std::to_string(static_cast<int>(faultSeconds)) + " s each and as long after), logger double, 250 ms timer");
    const HostCallFigures figures = timeHostCallsUnderFaults(rig, simulator, 0, faultSeconds);
    std::printf("  %-14s %7s %9s %12s %22s %16s\n", "method", "calls", "renewals", "longest ms",
                "longest ms, others", "others over 5 ms");
    for (std::size_t m = 0; m < figures.size(); ++m) {
        const MethodCalls& calls = figures[m];
        std::printf("  %-14s %7ld %9ld %12.2f %22.2f %16ld\n", loggerdouble::methodName(static_cast<loggerdouble::Method>(m)),
                    calls.calls, calls.renewals, calls.longestMs, calls.longestOtherMs, calls.otherOver5Ms);
    }
    printNote("renewals: calls made while the link was down, or during which the radio saw a new connection; "
              "goal: every other call at most 5 ms");
}

void printIdleFigures(IRadioChooser* chooser, double seconds, const std::string& serverStat) {
    char title[200];
    std::snprintf(title, sizeof title,
                  "4. idle network rigs, each linked to the simulator: CPU time per wall second over %.0f s, "
                  "%% of one core%s", seconds, serverStat.empty() ? "" : " (process + Wine server)");
    printTitle(title);
    std::printf("  %6s %7s %12s %12s %12s %14s %12s\n", "rigs", "linked", "process", "server", "total",
                "minus 0 rigs", "per rig");
    double baseline = 0;
    for (int rigs : {0, 1, 10, 50}) {
        const IdleCost cost = idleCost(chooser, rigs, seconds, serverStat);
        const double total = 100.0 * (cost.cpuShare + cost.serverCpuShare);
        if (rigs == 0) baseline = total;
        const double added = total - baseline;
        char server[16] = "-";
        if (!serverStat.empty()) std::snprintf(server, sizeof server, "%.3f%%", 100.0 * cost.serverCpuShare);
        std::printf("  %6d %7d %11.3f%% %12s %11.3f%% %13.3f%% %11.4f%%\n", rigs, cost.linked, 100.0 * cost.cpuShare,
                    server, total, added, rigs ? added / rigs : 0.0);
        std::fflush(stdout);
    }
}

void printDiscoveryFigures(IRadioChooser* chooser, int radios) {
    printTitle("5. discovery of " + std::to_string(radios) +
               " simulated radios: one start + discovered() (GetNumChoices with a fresh start)");
    auto simulator = startSimulator(radios);
    for (int round = 1; round <= 3; ++round) {
        const Clock::time_point start = Clock::now();
        const int listed = discoverRadios(chooser);
        std::printf("  round %d: %3d of %d listed in %7.1f ms\n", round, listed, radios, microsSince(start) / 1000.0);
        std::fflush(stdout);
    }
}

void runNetwork(const Options& options) {
    std::printf("e2e_bench: network rig, %s; k4sim in this process on 127.0.0.1\n", hostDescription());
    auto simulator = startSimulator(1);
    auto manager = createRigManager();
    auto chooser = chooserOf(manager.get());
    if (discoverRadios(chooser.get()) != 1) throw std::runtime_error("discovery did not find the simulated radio");
    com::ComPtr<IQbRig> rig;
    expectOk(chooser->GetRigObject(0, 1, 0, rig.receive()), "GetRigObject");

    if (options.runs("poll")) {
        printTitle("1. poll \"FA;FB;FT;MD;MD$;\" over loopback TCP, " + std::to_string(options.polls) +
                   " polls each");
        const auto plain = timeTcpExchanges(simulator->radio(0).port(), options.polls);
        printPollFigures(rig.get(), plain, "plain TCP exchange, same bytes", options.polls);
    }
    if (options.runs("set")) printSetFigures(rig.get(), simulator->radio(0), options.sets);
    if (options.runs("unanswered")) printUnansweredFigures(rig.get(), simulator->radio(0).port(), options);
    if (options.runs("faults")) printHostCallFigures(rig.get(), *simulator, options.faultSeconds);
    rig.reset();
    if (options.runs("idle")) printIdleFigures(chooser.get(), options.idleSeconds, options.serverStat);
    if (options.runs("discovery")) {
        simulator.reset();
        printDiscoveryFigures(chooser.get(), options.discoveryRadios);
    }
}

void runSerial(const Options& options) {
    std::printf("e2e_bench: serial rig over %s, %s; k4sim serves the port\n", options.serialPort.c_str(),
                hostDescription());
    auto manager = createRigManager();
    com::ComPtr<IQbRig> rig;
    expectOk(manager->GetRigObject(1, rig.receive()), "GetRigObject(serial)");
    auto port = openSerialPort(options.serialPort);

    printTitle("2. poll \"FA;FB;FT;MD;MD$;\" through the serial rig, " + std::to_string(options.polls) +
               " polls each");
    timePortExchanges(port.get(), options.polls / 10);
    const auto plain = timePortExchanges(port.get(), options.polls);
    expectOk(rig->PutCommPort(port.get(), 0), "PutCommPort");
    printPollFigures(rig.get(), plain, "plain port exchange (Write, Read...)", options.polls);

    printTitle("2/3. Set through the serial rig, " + std::to_string(options.sets) + " Sets");
    printSpreadHeader("microseconds");
    printSetConfirmed(rig.get(), options.sets);
    expectOk(rig->PutCommPort(nullptr, 0), "PutCommPort(null)");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = parse(argc, argv);
        HostSession session;
        if (options.serialPort.empty())
            runNetwork(options);
        else
            runSerial(options);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "e2e_bench: %s\n", error.what());
        return 1;
    }
}
