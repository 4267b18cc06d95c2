// The native build: the driver's classes are linked in; settings live in a
// temporary folder named by QBOX_INI_DIR.
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "Host.h"
#include "com/ObjectRoot.h"
#include "manager/RigManager.h"

namespace e2e {
namespace {

std::filesystem::path& settingsFolder() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

HostSession::HostSession() {
    auto pattern = (std::filesystem::temp_directory_path() / "qbox-e2e-bench-XXXXXX").string();
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

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace e2e
