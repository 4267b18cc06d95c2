#include "tools/qbhost/Station.h"

#include <windows.h>

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

}  // namespace qbhost
