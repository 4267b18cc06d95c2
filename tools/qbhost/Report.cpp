#include "tools/qbhost/Report.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "QboxVersion.h"
#include "settings/Settings.h"
#include "tools/qbhost/DriverHolder.h"
#include "tools/qbhost/LiveLine.h"
#include "tools/qbhost/LogCopy.h"
#include "tools/qbhost/Registration.h"
#include "tools/qbhost/Station.h"
#include "tools/qbhost/Values.h"
#include "tools/qbhost/Verdict.h"

namespace qbhost {
namespace {

constexpr double kPollSeconds = 5;
constexpr DWORD kSectionBuffer = 32768;

std::string heading(const std::string& title) { return "\n== " + title + "\n"; }

std::string programs() {
    const std::string wine = wineVersion();
    return heading("programs") + "qbhost " QBOX_VERSION_TEXT ", runs elevated (as administrator): " +
           (runsElevated() ? "yes" : "no") + "\nWindows " + windowsVersion() + "\n" +
           (wine.empty() ? "" : "Wine " + wine + "\n");
}

std::string registration(const Registrations& found) {
    return heading("driver registration, as a 32-bit program such as the logger finds it") +
           registrationLines(found);
}

// Every line of section RIGS, then the values named that the driver uses
// other than they read.
std::string rigsSection() {
    std::vector<char> buffer(kSectionBuffer);
    const DWORD length = GetPrivateProfileSectionA(settings::kSection, buffer.data(), kSectionBuffer, settings::kFile);
    std::string text = heading("quillbox.ini, section [RIGS]") + iniPath() + "\n";
    if (length == 0) return text + "(no section [RIGS], or the file does not exist)\n";
    for (const char* line = buffer.data(); *line; line += strlen(line) + 1) text += utf8FromAnsi(line) + "\n";
    for (short slot = 0; slot <= kHighestSlot; ++slot) {
        const std::string problem = settings::tcpPortProblem(static_cast<unsigned short>(slot));
        if (!problem.empty()) text += utf8FromAnsi(problem) + "\n";
    }
    return text;
}

std::vector<std::string> registeredPaths(const Registrations& found) {
    std::vector<std::string> paths;
    for (const ClassRegistration* r : {&found.allUsers, &found.perUser})
        if (r->found) paths.push_back(r->path);
    return paths;
}

std::string discoveredRadios(RadioFinder& finder) {
    std::string text = heading("radios found by discovery (qbhost's own run)");
    const std::vector<K4Ip::Discovered> radios = finder.radios();
    if (radios.empty()) text += "none\n";
    for (const K4Ip::Discovered& radio : radios)
        text += utf8FromAnsi(radio.name()) + ", id " + utf8FromAnsi(radio.id()) + ", answered from " +
                radio.from().address().to_string() + "\n";
    return text;
}

std::string pollSlot(const Driver& driver, RadioFinder& finder, short slot) {
    std::ostringstream lines;
    try {
        auto rig = driver.networkRig(slot, nullptr);
        const RadioPlace place = finder.networkPlace(rig.get(), slot);
        PollWatch watch = realTimeWatch(rig.get());
        watch.start();
        const PollWatch::Outcome outcome = showLive(watch, rig.get(), kPollSeconds, place.where, lines);
        const std::optional<Failure> failure = unanswered(outcome, place);
        lines << (failure ? failure->what() : "every poll answered for " + decimalText(kPollSeconds) + " s") << '\n';
    } catch (const Failure& failure) {
        lines << failure.what() << '\n';
    }
    return utf8FromAnsi(lines.str());
}

std::string radiosAndSlots(std::ostream& out) {
    RadioFinder finder;
    std::string text = discoveredRadios(finder) +
                       heading("slots with a saved radio, each polled for " + decimalText(kPollSeconds) + " s");
    try {
        Driver driver;
        bool any = false;
        for (short slot = 0; slot <= kHighestSlot; ++slot) {
            const std::string saved = settings::savedChoice(slot);
            if (saved.empty()) continue;
            any = true;
            out << "qbhost report: polling slot " << slot << " for " << decimalText(kPollSeconds) << " s" << std::endl;
            text += "slot " + std::to_string(slot) + ", " + settings::savedChoiceKey(slot) + "=" + utf8FromAnsi(saved) +
                    ":\n" + pollSlot(driver, finder, slot);
        }
        if (!any) text += "none: no K4Slot key names a radio\n";
        return text;
    } catch (const Failure& failure) {
        return text + "none polled: " + utf8FromAnsi(failure.what()) + "\n";
    }
}

// Discovery and polls would disturb a program that holds the driver: its
// links to the radios and its log, which the driver, once loaded here,
// starts afresh.
std::string radiosAndPolls(const Registrations& found, std::ostream& out) {
    const DriverHolders holders = findDriverHolders(registeredPaths(found));
    if (holders.state == DriverHolders::State::Free) return radiosAndSlots(out);
    const char* why = holders.state == DriverHolders::State::Held ? "another program holds the driver: "
                                                                   : "qbhost cannot tell whether another program "
                                                                     "holds the driver: ";
    return heading("radios and polls: left out") + why + utf8FromAnsi(holders.detail) +
           ".\nThe logger must be closed for these, or its links and log would be disturbed: close it and run "
           "qbhost report again.\n";
}

std::string defaultName() { return "QboxK4Driver-report-" + localTime(true) + ".txt"; }

std::string fullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? full : path;
}

}  // namespace

int writeReport(const Options& options, std::ostream& out) {
    const std::string path = fullPath(options.out.empty() ? defaultName() : options.out);
    std::ofstream file(path, std::ios::trunc);
    if (!file) throw Failure("cannot write the report to " + path, kFailed);
    const Registrations found = findRegistrations();
    // The log goes first: loading the driver below starts it afresh.
    std::string text = "QboxK4Driver report, written " + localTime(false) + " (local time) by qbhost\n" +
                       programs() + registration(found) + rigsSection() + heading("k4logio.log") + copyDriverLog();
    text += radiosAndPolls(found, out);
    file << text;
    file.close();
    if (!file) throw Failure("cannot write the report to " + path, kFailed);
    out << "report written: " << path << std::endl;
    return kOk;
}

}  // namespace qbhost
