#include "tools/qbhost/Commands.h"

#include <map>
#include <functional>

#include "tools/qbhost/LiveLine.h"
#include "tools/qbhost/SerialPortIO.h"
#include "platform/Text.h"

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
    SHORT saved = 0;
    check(driver.chooser()->GetSavedChoice(0, options.slot, &saved), "GetSavedChoice");
    out << "saved choice for slot " << options.slot << ": " << saved << '\n';
    if (choices <= 1) throw Failure("no radio found", kNoRadio);
    return kOk;
}

com::ComPtr<IQbRig> boundRig(const Driver& driver, const Options& options) {
    return driver.networkRig(options.slot, options.choice ? &*options.choice : nullptr);
}

int poll(const Options& options, std::ostream& out) {
    Driver driver;
    auto rig = boundRig(driver, options);
    if (!showLive(rig.get(), options.seconds, out)) throw Failure("link down", kLinkDown);
    return kOk;
}

// Sets frequency, mode and split as the options say, then shows the radio
// following.
int setAndShow(IQbRig* rig, const Options& options, std::ostream& out) {
    const double tx = options.txKhz.value_or(options.rxKhz);
    const short split = tx != options.rxKhz ? 1 : 0;
    LONG hint = 0;
    check(rig->Set(tx, options.rxKhz, options.mode, 0, split, &hint), "Set");
    out << "set: rx " << options.rxKhz << " kHz, tx " << tx << " kHz, " << modeName(options.mode)
        << (split ? ", split" : "") << '\n';
    if (!showLive(rig, options.seconds, out)) throw Failure("link down", kLinkDown);
    return kOk;
}

int set(const Options& options, std::ostream& out) {
    Driver driver;
    auto rig = boundRig(driver, options);
    return setAndShow(rig.get(), options, out);
}

int simple(const Options& options, std::ostream& out) {
    Driver driver;
    auto rig = boundRig(driver, options);
    LONG hint = 0;
    if (options.command == "tx") check(rig->Xmit(1, &hint), "Xmit");
    else if (options.command == "rx") check(rig->Xmit(0, &hint), "Xmit");
    else if (options.command == "up") check(rig->TuneFrequency(10, &hint), "TuneFrequency");
    else if (options.command == "down") check(rig->TuneFrequency(-10, &hint), "TuneFrequency");
    else check(rig->ClearRIT(), "ClearRIT");
    out << options.command << ": sent\n";
    RigReading reading;
    if (!pollOnce(rig.get(), &reading)) throw Failure("link down", kLinkDown);
    return kOk;
}

int serial(const Options& options, std::ostream& out) {
    Driver driver;
    auto rig = driver.serialRig();
    HRESULT hr = S_OK;
    auto* port = com::ComObject<SerialPortIO>::create(&hr);
    if (!port) throw Failure("out of memory", kFailed);
    auto io = com::ComPtr<IQbRigIO>::adopt(port);
    if (!port->open(options.port)) throw Failure("cannot open " + options.port, kLinkDown);
    check(rig->PutCommPort(io.get(), 0), "PutCommPort");
    out << "serial rig on " << options.port << '\n';
    const int result = options.rxKhz > 0 ? setAndShow(rig.get(), options, out)
                                         : (showLive(rig.get(), options.seconds, out) ? kOk : kLinkDown);
    rig->PutCommPort(nullptr, 0);
    if (result == kLinkDown) throw Failure("link down", kLinkDown);
    return result;
}

int dialog(const Options&, std::ostream& out) {
    Driver driver;
    com::ComPtr<IQbRig> rig;
    const HRESULT hr = driver.chooser()->GetRigObject(0, 0, 0, rig.receive());
    out << "address dialog closed (" << hresultText(hr) << ")\n";
    return kOk;
}

}  // namespace

int runCommand(const Options& options, std::ostream& out) {
    static const std::map<std::string, std::function<int(const Options&, std::ostream&)>> commands = {
        {"list", list},     {"poll", poll},   {"set", set},       {"tx", simple},         {"rx", simple},
        {"up", simple},     {"down", simple}, {"clear-rit", simple}, {"serial", serial}, {"dialog", dialog},
    };
    return commands.at(options.command)(options, out);
}

}  // namespace qbhost
