#include "tools/qbhost/LogCopy.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "tools/qbhost/SettingProblems.h"
#include "tools/qbhost/Station.h"

namespace qbhost {
namespace {

constexpr LONGLONG kTail = 200 * 1024;

// The last bytes of an open file, from the start of a line.
std::string tailOf(HANDLE file, LONGLONG size) {
    const LONGLONG from = std::max<LONGLONG>(0, size - kTail);
    LARGE_INTEGER offset{};
    offset.QuadPart = from;
    SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
    std::vector<char> bytes(static_cast<size_t>(size - from));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    std::string text(bytes.data(), read);
    if (from > 0) text.erase(0, text.find('\n') + 1);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    if (!text.empty() && text.back() != '\n') text += '\n';
    return utf8FromAnsi(text);
}

// What the copy is, and which part of it follows.
std::string whatFollows(const DriverLog& log, LONGLONG size) {
    const std::string part = size > kTail ? "its last 200 KB, from the first whole line, follow"
                                          : "all of it follows";
    const std::string bytes = std::to_string(size) + " bytes";
    if (log.state == DriverLog::State::MovedAside)
        return log.path + ", " + bytes + ": k4logio.log as it was before qbhost loaded the driver, moved aside "
               "whole; " + part;
    if (log.whyNotMoved.empty())
        return log.path + ", " + bytes + ", as it is now: the program that holds the driver writes it; " + part;
    return log.path + ", " + bytes + ", as it is now: it cannot be moved aside (" + log.whyNotMoved +
           "), so qbhost did not load the driver; " + part;
}

std::string copyOf(const DriverLog& log) {
    HANDLE file = CreateFileA(log.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return log.path + " cannot be read: " + systemErrorText(GetLastError()) + "\n";
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const std::string tail = tailOf(file, size.QuadPart);
    CloseHandle(file);
    return utf8FromAnsi(whatFollows(log, size.QuadPart)) + ":\n" + tail;
}

}  // namespace

std::string logSection(const DriverLog& log) {
    switch (log.state) {
        case DriverLog::State::Off:
            return "Logging is off: LogFileFolder is not set in section [RIGS] of " + iniPath() +
                   ".\nTo turn it on: make a folder such as C:\\K4Logs, add the line LogFileFolder=C:\\K4Logs to "
                   "section [RIGS], start the logger, do what went wrong, close the logger, and run qbhost report "
                   "again.\n";
        case DriverLog::State::NoFolder:
            return utf8FromAnsi(logFolderProblem(log.folder, false)) + ".\n";
        case DriverLog::State::Absent:
            return utf8FromAnsi(log.path) + " does not exist: no program has loaded the driver since "
                   "LogFileFolder was set, or it was removed (qbhost's copies of earlier logs, "
                   "k4logio-<date>-<time>.log, are in the same folder).\n";
        default:
            return copyOf(log);
    }
}

}  // namespace qbhost
