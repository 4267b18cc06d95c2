#include "tools/qbhost/Commands.h"

#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include "platform/Text.h"
#include "settings/Settings.h"
#include "tools/qbhost/CommandTexts.h"
#include "tools/qbhost/ConsoleStop.h"
#include "tools/qbhost/DriverGate.h"
#include "tools/qbhost/LiveLine.h"
#include "tools/qbhost/PollWatch.h"
#include "tools/qbhost/RadioPlace.h"
#include "tools/qbhost/Report.h"
#include "tools/qbhost/Reading.h"
#include "tools/qbhost/SerialPortIO.h"
#include "tools/qbhost/SettingChecks.h"
#include "tools/qbhost/Station.h"
#include "tools/qbhost/Transmit.h"
#include "tools/qbhost/Values.h"
#include "tools/qbhost/Verdict.h"

namespace qbhost {
namespace {

std::string bstrText(BSTR text) {
    std::string result = platform::ansiFromBstr(text);
    SysFreeString(text);
    return result;
}

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw Failure(std::string(what) + " failed (" + hresultText(hr) + ")", kFailed);
}

std::string describe(const SetRequest& request, bool radiosMode) {
    return "RX " + decimalText(request.rxKhz) + " kHz, TX " + decimalText(request.txKhz) + " kHz, " +
           modeName(request.mode) + (radiosMode ? " (the radio's mode)" : "") + ", split " +
           (request.split ? "on" : "off");
}

// The mode to set: --mode, or the mode the radio is in.
short modeToSet(PollWatch& watch, IQbRig* rig, const Options& options, const RadioPlace& place) {
    if (options.mode) return *options.mode;
    const CurrentMode current = currentMode(rig, watch);
    requireAnswer(current.outcome, place);
    return current.mode;
}

// Sets the rig as asked and returns once the radio has confirmed the Set (KS)
// and answered the next poll with what was set; the poll after that is then
// on its way.
void setConfirmed(PollWatch& watch, IQbRig* rig, const Options& options, const RadioPlace& place, std::ostream& out) {
    const short mode = modeToSet(watch, rig, options, place);
    const SetRequest request = setRequest(*options.rxKhz, options.txKhz ? &*options.txKhz : nullptr, mode);
    out << "set: " << describe(request, !options.mode) << std::endl;
    const platform::Nanos setAt = watch.now();
    LONG hint = 0;
    check(rig->Set(request.txKhz, request.rxKhz, request.mode, 0, request.split, &hint), "Set");
    const PollWatch::Outcome confirmation = watch.awaitConfirmation(setAt);
    if (confirmation == PollWatch::Outcome::LinkDown) throw linkDown(place);
    if (confirmation == PollWatch::Outcome::NoAnswer)
        throw Failure("set not confirmed: no KS answer from " + place.where + " within " + setBoundText(),
                      kNotConfirmed);
    const PollWatch::Outcome poll = watch.awaitAnswer();
    if (poll == PollWatch::Outcome::LinkDown) throw linkDown(place);
    if (poll == PollWatch::Outcome::NoAnswer)
        throw Failure("set not confirmed: " + place.where + " sent KS but no answer to the next poll within " +
                          pollBoundText(),
                      kNotConfirmed);
    const RigReading reading = readRig(rig);
    if (!agrees(reading, request))
        throw Failure("set not confirmed: " + place.where + " reports " + formatReading(reading), kNotConfirmed);
    out << "set confirmed by " << place.where << ": KS, then a poll that agrees" << std::endl;
}

// Settings the driver uses otherwise than they read, each on a line.
void nameSettingProblems(std::optional<short> slot, std::ostream& out) {
    for (const std::string& problem : settingProblems(slot)) out << problem << std::endl;
}

std::string savedChoiceText(const Driver& driver, short slot) {
    SHORT saved = 0;
    check(driver.chooser()->GetSavedChoice(0, slot, &saved), "GetSavedChoice");
    BSTR name = nullptr;
    if (saved > 0) check(driver.chooser()->GetRadioName(0, saved, &name), "GetRadioName");
    return savedChoiceLine(slot, settings::savedChoice(slot), saved, saved > 0 ? bstrText(name) : "");
}

int list(const Options& options, std::ostream& out) {
    Driver driver;
    LONG count = 0;
    check(driver.manager()->get_Count(&count), "get_Count");
    out << "rigs:\n";
    for (LONG i = 0; i < count; ++i) {
        BSTR label = nullptr;
        check(driver.manager()->get_Label(i, &label), "get_Label");
        out << "  " << i << "  " << bstrText(label) << '\n';
    }
    SHORT choices = 0;
    check(driver.chooser()->GetNumChoices(0, options.refresh ? 1 : 0, &choices), "GetNumChoices");
    out << "radio choices:\n";
    for (SHORT c = 0; c < choices; ++c) {
        BSTR name = nullptr;
        check(driver.chooser()->GetRadioName(0, c, &name), "GetRadioName");
        out << "  " << c << "  " << bstrText(name) << '\n';
    }
    out << savedChoiceText(driver, options.slot) << '\n';
    nameSettingProblems(std::nullopt, out);
    if (choices <= 1) throw Failure("no radio found", kNoRadio);
    return kOk;
}

com::ComPtr<IQbRig> boundRig(const Driver& driver, const Options& options, std::ostream& out) {
    nameSettingProblems(options.slot, out);
    return driver.networkRig(options.slot, options.choice ? &*options.choice : nullptr);
}

int poll(const Options& options, std::ostream& out) {
    RadioFinder finder;
    Driver driver;
    auto rig = boundRig(driver, options, out);
    const RadioPlace place = finder.networkPlace(rig.get(), options.slot);
    PollWatch watch = realTimeWatch(rig.get());
    watch.start();
    requireAnswer(showLive(watch, rig.get(), options.seconds, place.where, out), place);
    return kOk;
}

int set(const Options& options, std::ostream& out) {
    RadioFinder finder;
    Driver driver;
    auto rig = boundRig(driver, options, out);
    const RadioPlace place = finder.networkPlace(rig.get(), options.slot);
    PollWatch watch = realTimeWatch(rig.get());
    setConfirmed(watch, rig.get(), options, place, out);
    requireAnswer(showLive(watch, rig.get(), options.seconds, place.where, out), place);
    return kOk;
}

// Sends one command, then requires the radio to answer a poll after it.
int simple(const Options& options, std::ostream& out) {
    RadioFinder finder;
    Driver driver;
    auto rig = boundRig(driver, options, out);
    const RadioPlace place = finder.networkPlace(rig.get(), options.slot);
    LONG hint = 0;
    if (options.command == "up") check(rig->TuneFrequency(10, &hint), "TuneFrequency");
    else if (options.command == "down") check(rig->TuneFrequency(-10, &hint), "TuneFrequency");
    else check(rig->ClearRIT(), "ClearRIT");
    out << options.command << ": sent to " << place.where << std::endl;
    PollWatch watch = realTimeWatch(rig.get());
    watch.start();
    requireAnswer(watch.awaitAnswer(), place);
    return kOk;
}

// The unkey again on a new link to the slot's saved radio, after the first
// link could not show it taken: the old rig object goes first, so that the
// radio sees one link at a time.
bool unkeyedOnNewLink(const Driver& driver, com::ComPtr<IQbRig>& rig, short slot) {
    rig.reset();
    try {
        rig = driver.networkRig(slot, nullptr);
        PollWatch watch = realTimeWatch(rig.get());
        return unkeyConfirmed(rig.get(), watch);
    } catch (const Failure&) {
        return false;
    }
}

Failure stillKeyed(const RadioPlace& place) {
    return Failure("unkey not confirmed: " + place.where + " answered no poll sent after RX within " +
                       pollBoundText() + ", on its link or a new one: the radio may still be transmitting",
                   kStillKeyed);
}

void sayUnkeyed(const Options& options, const RadioPlace& place, std::ostream& out) {
    out << options.command << ": unkeyed " << place.where << ": a poll sent after RX was answered" << std::endl;
}

int receive(const Options& options, std::ostream& out) {
    RadioFinder finder;
    Driver driver;
    auto rig = boundRig(driver, options, out);
    const RadioPlace place = finder.networkPlace(rig.get(), options.slot);
    PollWatch watch = realTimeWatch(rig.get());
    if (!unkeyConfirmed(rig.get(), watch) && !unkeyedOnNewLink(driver, rig, options.slot)) throw stillKeyed(place);
    sayUnkeyed(options, place, out);
    return kOk;
}

int transmitCommand(const Options& options, std::ostream& out) {
    ConsoleStop stop;
    RadioFinder finder;
    Driver driver;
    auto rig = boundRig(driver, options, out);
    const RadioPlace place = finder.networkPlace(rig.get(), options.slot);
    if (stop.requested()) {
        out << "tx: stopped before keying " << place.where << std::endl;
        return kOk;
    }
    if (!options.hold) out << "tx: keying " << place.where << " for " << decimalText(options.seconds) << " s" << std::endl;
    PollWatch watch = realTimeWatch(rig.get());
    const TransmitPlan plan{options.seconds, options.hold, place.where, [&] { return stop.requested(); }};
    TransmitResult result;
    std::optional<Failure> whileKeyed;
    try {
        result = transmit(rig.get(), watch, plan, out);
        if (auto failure = unanswered(result.keyed, place)) whileKeyed.emplace(*failure);
    } catch (const std::exception& error) {
        whileKeyed.emplace(std::string("failed while keyed: ") + error.what(), kFailed);
        result.unkeyed = unkeyConfirmed(rig.get(), watch);
    }
    if (result.held && !whileKeyed) {
        out << "tx: " << place.where << " keyed: a poll sent after TX was answered" << std::endl;
        std::cerr << "qbhost: warning: " << place.where << " is left transmitting (--hold): qbhost rx --slot "
                  << options.slot << " unkeys it" << std::endl;
        return kOk;
    }
    if (result.stopped) out << "tx: stopped by Ctrl+C" << std::endl;
    if (result.unkeyed || unkeyedOnNewLink(driver, rig, options.slot)) {
        sayUnkeyed(options, place, out);
        if (whileKeyed) throw *whileKeyed;
        return kOk;
    }
    if (whileKeyed) std::cerr << "qbhost: " << whileKeyed->what() << std::endl;
    throw stillKeyed(place);
}

int serial(const Options& options, std::ostream& out) {
    Driver driver;
    auto rig = driver.serialRig();
    HRESULT hr = S_OK;
    auto* port = com::ComObject<SerialPortIO>::create(&hr);
    if (!port) throw Failure("out of memory", kFailed);
    auto io = com::ComPtr<IQbRigIO>::adopt(port);
    if (const DWORD error = port->open(options.port))
        throw Failure(serialOpenFailure(options.port, error, systemErrorText(error), !wineVersion().empty()),
                      kLinkDown);
    check(rig->PutCommPort(io.get(), 0), "PutCommPort");
    out << "serial rig on " << options.port << std::endl;
    const RadioPlace place = serialPlace(options.port);
    PollWatch watch = realTimeWatch(rig.get());
    if (options.rxKhz) setConfirmed(watch, rig.get(), options, place, out);
    else watch.start();
    requireAnswer(showLive(watch, rig.get(), options.seconds, place.where, out), place);
    return kOk;
}

// The driver gives no rig for choice 0 whether the dialog ended with OK or
// Cancel: what it saved tells.
int dialog(const Options&, std::ostream& out) {
    Driver driver;
    const std::string before = settings::remoteAddresses();
    com::ComPtr<IQbRig> rig;
    driver.chooser()->GetRigObject(0, 0, 0, rig.receive());
    out << dialogOutcome(before, settings::remoteAddresses()) << '\n';
    return kOk;
}

}  // namespace

int runCommand(const Options& options, std::ostream& out) {
    static const std::map<std::string, std::function<int(const Options&, std::ostream&)>> commands = {
        {"list", list},     {"poll", poll},   {"set", set},       {"tx", transmitCommand}, {"rx", receive},
        {"up", simple},     {"down", simple}, {"clear-rit", simple}, {"serial", serial}, {"dialog", dialog},
        {"report", writeReport},
    };
    // The report looks at the driver and its log itself before it loads it.
    if (options.command != "report") prepareDriverLoad(options.force, out);
    return commands.at(options.command)(options, out);
}

}  // namespace qbhost
