#include "tools/qbhost/RadioPlace.h"

#include <windows.h>

#include "com/ComPtr.h"
#include "platform/Text.h"
#include "settings/Settings.h"
#include "tools/qbhost/Station.h"

namespace qbhost {
namespace {

std::string radioName(IQbRig* rig) {
    com::ComPtr<IQbRigDisplayInfo> info;
    BSTR name = nullptr;
    if (FAILED(rig->QueryInterface(IID_IQbRigDisplayInfo, reinterpret_cast<void**>(info.receive()))) ||
        FAILED(info->GetRigName(&name)))
        return "the radio";
    std::string text = platform::ansiFromBstr(name);
    SysFreeString(name);
    return text.empty() ? "the radio" : text;
}

std::string portSource(short slot) {
    const std::string key = settings::tcpPortKey(static_cast<unsigned short>(slot));
    char value[16] = {};
    GetPrivateProfileStringA(settings::kSection, key.c_str(), "", value, sizeof value, settings::kFile);
    const std::string port = std::to_string(settings::tcpPort(static_cast<unsigned short>(slot)));
    if (value[0] != '\0') return "TCP port " + port + " from " + key + " in " + iniPath();
    return "TCP port " + port + " is the default: " + key + " is not set in " + iniPath();
}

}  // namespace

RadioPlace serialPlace(const std::string& port) { return {"the radio on " + port, ""}; }

RadioFinder::RadioFinder() : discovery_(std::shared_ptr<LogTrail>()) { discovery_.start(); }

RadioFinder::~RadioFinder() { discovery_.stop(); }

RadioPlace RadioFinder::networkPlace(IQbRig* rig, short slot) {
    const std::string id = settings::savedChoice(slot);
    const std::string port = std::to_string(settings::tcpPort(static_cast<unsigned short>(slot)));
    std::string address;
    for (const K4Ip::Discovered& radio : discovery_.discovered())
        if (radio.id() == id) address = radio.from().address().to_string();
    const std::string name = radioName(rig);
    const std::string where = address.empty() ? name + " (address not found), TCP port " + port
                                              : name + " at " + address + ":" + port;
    return {where, portSource(slot)};
}

}  // namespace qbhost
