// The Windows build: the driver is the registered QboxK4Driver.dll, created
// through COM; settings are the prefix's quillbox.ini in the Windows folder.
#include <stdexcept>
#include <string>

#include "ComHost.h"
#include "settings/Settings.h"
#include "platform/Profile.h"

namespace comhost {
namespace {

std::string hresultText(HRESULT hr) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace

HostSession::HostSession() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) throw std::runtime_error("COM could not be initialised (" + hresultText(hr) + ")");
    // The run writes the keys it needs; logging stays off.
    WritePrivateProfileStringA(settings::kSection, nullptr, nullptr, settings::kFile);
}

HostSession::~HostSession() {
    WritePrivateProfileStringA(settings::kSection, nullptr, nullptr, settings::kFile);
    CoUninitialize();
}

const char* hostDescription() { return "Windows build: QboxK4Driver.dll through CoCreateInstance"; }

com::ComPtr<IRigManager3> createRigManager() {
    com::ComPtr<IRigManager3> manager;
    const HRESULT hr = CoCreateInstance(CLSID_RigManager, nullptr, CLSCTX_INPROC_SERVER, IID_IRigManager3,
                                        reinterpret_cast<void**>(manager.receive()));
    if (FAILED(hr))
        throw std::runtime_error("RigManager could not be created (" + hresultText(hr) +
                                 "); is QboxK4Driver.dll registered?");
    return manager;
}

void releaseDriver() { CoFreeUnusedLibrariesEx(0, 0); }

std::string settingsFilePath() {
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + settings::kFile;
}

}  // namespace comhost
