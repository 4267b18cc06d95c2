#include <windows.h>

#include <cstdio>

#include "IniHome.h"

namespace {

std::string windowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

constexpr const char* kIniFile = "quillbox.ini";

}  // namespace

IniHome::IniHome() : folder_(windowsFolder()), separator_('\\') {
    setAside_ = read(kIniFile);
    std::remove(file(kIniFile).c_str());
}

IniHome::~IniHome() {
    std::remove(file(kIniFile).c_str());
    if (setAside_) put(kIniFile, *setAside_);
}
