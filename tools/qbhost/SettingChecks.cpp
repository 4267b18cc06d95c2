#include "tools/qbhost/SettingChecks.h"

#include <windows.h>

#include <boost/asio/io_context.hpp>

#include "discovery/Targets.h"
#include "settings/Settings.h"
#include "tools/qbhost/SettingProblems.h"
#include "tools/qbhost/Station.h"
#include "tools/qbhost/Values.h"

namespace qbhost {
namespace {

// The port the driver's search takes from the setting, resolved as the
// driver resolves it.
std::optional<unsigned short> discoveryPortUsed(const std::string& text) {
    boost::asio::io_context io;
    boost::asio::ip::udp::resolver resolver(io);
    return K4Ip::portNumber(text, resolver);
}

std::string serialSwitchText() {
    char value[128] = {};
    GetPrivateProfileStringA(settings::kSection, "K4onSerialEnable", "", value, sizeof value, settings::kFileUpper);
    return value;
}

void add(std::vector<std::string>& problems, const std::string& problem) {
    if (!problem.empty()) problems.push_back(problem);
}

}  // namespace

std::vector<std::string> settingProblems(std::optional<short> slot) {
    std::vector<std::string> problems;
    for (short s = slot.value_or(0); s <= slot.value_or(kHighestSlot); ++s)
        add(problems, settings::tcpPortProblem(static_cast<unsigned short>(s)));
    const std::string port = settings::discoveryPort();
    add(problems, discoveryPortProblem(port, discoveryPortUsed(port)));
    if (!slot) add(problems, serialEnableProblem(serialSwitchText(), settings::serialRigEnabled()));
    const std::string folder = settings::logFolder();
    add(problems, logFolderProblem(folder, folder.empty() || folderExists(folder)));
    return problems;
}

}  // namespace qbhost
