#include "tools/qbhost/Station.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>

#include "settings/Settings.h"
#include "tools/qbhost/Registration.h"

namespace qbhost {
namespace {

HMODULE ntdll() { return GetModuleHandleA("ntdll.dll"); }

template <typename Function>
Function ntdllFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll(), name)));
}

std::wstring wideFrom(const std::string& text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string knownFolder(int folder) {
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

}  // namespace

std::string iniPath() {
    char folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return (length > 0 && length < MAX_PATH ? std::string(folder) + "\\" : std::string()) + settings::kFile;
}

std::string windowsVersion() {
    // GetVersionEx reports what the program's manifest allows; ntdll tells the truth.
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto get = ntdllFunction<RtlGetVersion>("RtlGetVersion");
    if (!get || get(&info) != 0) return "unknown";
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + " build " +
           std::to_string(info.dwBuildNumber) + (onWindows64() ? ", 64-bit Windows" : ", 32-bit Windows");
}

std::string wineVersion() {
    using GetVersion = const char*(CDECL*)();
    using GetHostVersion = void(CDECL*)(const char**, const char**);
    const auto version = ntdllFunction<GetVersion>("wine_get_version");
    if (!version) return "";
    std::string text = version();
    const char* system = nullptr;
    const char* release = nullptr;
    if (const auto host = ntdllFunction<GetHostVersion>("wine_get_host_version")) host(&system, &release);
    if (system && release) text += std::string(" on ") + system + " " + release;
    return text;
}

std::string localTime(bool compact) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, compact ? "%04u%02u%02u-%02u%02u%02u" : "%04u-%02u-%02u %02u:%02u:%02u",
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

std::string utf8FromAnsi(const std::string& text) {
    const std::wstring wide = wideFrom(text, CP_ACP);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string systemErrorText(unsigned long error) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string message = text;
    message.erase(message.find_last_not_of("\r\n .") + 1);
    return message.empty() ? "error " + std::to_string(error) : message;
}

std::string profileFolder() { return knownFolder(CSIDL_PROFILE); }

std::string documentsFolder() { return knownFolder(CSIDL_PERSONAL); }

bool folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace qbhost
