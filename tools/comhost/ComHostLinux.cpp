// The native build: the driver's classes are linked in; settings live in a
// temporary folder named by QBOX_INI_DIR.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ComHost.h"
#include "com/ObjectRoot.h"
#include "manager/ProcessState.h"
#include "manager/RigManager.h"
#include "settings/Settings.h"

namespace comhost {
namespace {

std::filesystem::path& settingsFolder() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

HostSession::HostSession() {
    auto pattern = (std::filesystem::temp_directory_path() / "qbox-host-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a settings folder");
    settingsFolder() = pattern;
    setenv("QBOX_INI_DIR", pattern.c_str(), 1);
}

HostSession::~HostSession() {
    std::error_code ignored;
    std::filesystem::remove_all(settingsFolder(), ignored);
}

const char* hostDescription() { return "native build: driver objects made in this process"; }

com::ComPtr<IRigManager3> createRigManager() {
    com::ComPtr<IRigManager3> manager;
    const HRESULT hr =
        com::createInstance<CRigManager>(nullptr, IID_IRigManager3, reinterpret_cast<void**>(manager.receive()));
    if (FAILED(hr)) throw std::runtime_error("the rig manager could not be made");
    return manager;
}

std::string settingsFilePath() { return (settingsFolder() / settings::kFile).string(); }

void releaseDriver() { process::releaseLogTrail(); }

}  // namespace comhost
