#include "tools/qbhost/Report.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "QboxVersion.h"
#include "manager/RadioNames.h"
#include "settings/Settings.h"
#include "tools/qbhost/DriverGate.h"
#include "tools/qbhost/DriverHolder.h"
#include "tools/qbhost/InterfaceKeys.h"
#include "tools/qbhost/LiveLine.h"
#include "tools/qbhost/LogCopy.h"
#include "tools/qbhost/ReportPrivacy.h"
#include "tools/qbhost/SettingChecks.h"
#include "tools/qbhost/Station.h"
#include "tools/qbhost/Values.h"
#include "tools/qbhost/Verdict.h"

namespace qbhost {
namespace {

constexpr double kPollSeconds = 5;
constexpr DWORD kSectionBuffer = 32768;

std::string heading(const std::string& title) { return "\n== " + title + "\n"; }

std::string ownPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? path : "qbhost.exe";
}

std::string programs() {
    const std::string wine = wineVersion();
    const std::string record = fileVersion(ownPath());
    return heading("programs") + "qbhost " QBOX_VERSION_TEXT ", " + utf8FromAnsi(ownPath()) + ", version record " +
           (record.empty() ? "missing" : record) + "\nruns elevated (as administrator): " +
           (runsElevated() ? "yes" : "no") + "\nWindows " + windowsVersion() + "\n" +
           (wine.empty() ? "" : "Wine " + wine + "\n");
}

std::string registration(const Registrations& found) {
    return heading("driver registration, as a 32-bit program such as the logger finds it") +
           utf8FromAnsi(registrationLines(found)) + heading("type library and interface keys (32-bit view)") +
           utf8FromAnsi(typeLibraryLines());
}

// The driver's own lines of section RIGS, then the values named that the
// driver uses other than they read.
std::string rigsSection() {
    std::vector<char> buffer(kSectionBuffer);
    const DWORD length = GetPrivateProfileSectionA(settings::kSection, buffer.data(), kSectionBuffer, settings::kFile);
    std::string text = heading("quillbox.ini, section [RIGS]: the driver's keys only") + utf8FromAnsi(iniPath()) + "\n";
    if (length == 0) return text + "(no section [RIGS], or the file does not exist)\n";
    for (const char* line = buffer.data(); *line; line += strlen(line) + 1) {
        const std::string entry = line;
        if (isDriverKey(entry.substr(0, entry.find('=')))) text += utf8FromAnsi(entry) + "\n";
    }
    const std::vector<std::string> problems = settingProblems(std::nullopt);
    if (!problems.empty()) text += "values the driver uses otherwise than they read:\n";
    for (const std::string& problem : problems) text += utf8FromAnsi(problem) + "\n";
    return text;
}

std::string holderSection(const DriverHolders& holders) {
    const char* answer = holders.state == DriverHolders::State::Free ? "no other program holds it"
                         : holders.state == DriverHolders::State::Held
                             ? "yes: another program holds it (the logger, as a rule)"
                             : "qbhost cannot tell: it may not look into every program (run it as administrator "
                               "to see)";
    return heading("the driver in use") + answer + "\n";
}

std::string discoveredRadios(RadioFinder& finder) {
    std::string text = heading("radios found by discovery (qbhost's own run), numbered as qbhost list shows them");
    const std::vector<K4Ip::Discovered> radios = finder.radios();
    // The names a fresh list gives them, as qbhost list shows them.
    const std::vector<std::string> names = chooser::RadioNames().join(radios);
    if (radios.empty()) text += "none\n";
    for (size_t i = 0; i < radios.size(); ++i)
        text += std::to_string(i + 1) + "  " + utf8FromAnsi(names[i]) + ", id " + utf8FromAnsi(radios[i].id()) +
                ", answered from " + radios[i].from().address().to_string() + "\n";
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

// Discovery and polls load the driver: only while no other program holds
// it, whose links they would disturb, and once the log is safe.
std::string radiosAndPolls(const DriverHolders& holders, const DriverLog& log, std::ostream& out) {
    const std::string leftOut = heading("radios and polls: left out");
    if (holders.state != DriverHolders::State::Free)
        return leftOut + "Another program may hold the driver: the logger must be closed for these, or its links "
                         "would be disturbed. Close it and run qbhost report again.\n";
    if (log.state == DriverLog::State::InPlace)
        return leftOut + "The driver's log cannot be moved aside, and loading the driver would start it afresh.\n";
    return radiosAndSlots(out);
}

std::string reportText(std::ostream& out) {
    const Registrations found = findRegistrations();
    const DriverHolders holders = findDriverHolders(registeredPaths(found));
    const DriverLog log = holders.state == DriverHolders::State::Free ? moveDriverLogAside() : findDriverLog();
    return "QboxK4Driver report, written " + localTime(false) + " (local time) by qbhost.\n"
           "It holds the radios' network addresses, remote ones (ELECRAFT_K4_IP_ADDRESSES) included, in the "
           "settings, the log and the radios found; your profile folder shows as %USERPROFILE%.\n" +
           programs() + registration(found) + rigsSection() + holderSection(holders) + heading("k4logio.log") +
           logSection(log) + radiosAndPolls(holders, log, out);
}

std::string defaultPath() {
    const std::string name = "QboxK4Driver-report-" + localTime(true) + ".txt";
    const std::string documents = documentsFolder();
    return documents.empty() ? name : documents + "\\" + name;
}

std::string fullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? full : path;
}

}  // namespace

int writeReport(const Options& options, std::ostream& out) {
    const std::string path = fullPath(options.out.empty() ? defaultPath() : options.out);
    std::ofstream file(path, std::ios::trunc);
    if (!file) throw Failure("cannot write the report to " + path, kFailed);
    file << withProfileHidden(reportText(out), utf8FromAnsi(profileFolder()));
    file.close();
    if (!file) throw Failure("cannot write the report to " + path, kFailed);
    out << "report written: " << path << std::endl;
    return kOk;
}

}  // namespace qbhost
