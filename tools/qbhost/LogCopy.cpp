#include "tools/qbhost/LogCopy.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "settings/Settings.h"
#include "tools/qbhost/Station.h"

namespace qbhost {
namespace {

constexpr LONGLONG kTail = 200 * 1024;

std::string systemErrorText(DWORD error) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string message = text;
    message.erase(message.find_last_not_of("\r\n .") + 1);
    return message.empty() ? "error " + std::to_string(error) : message;
}

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

}  // namespace

std::string driverLogPath() {
    std::string folder = settings::logFolder();
    if (folder.empty()) return "";
    if (folder.back() != '\\') folder += '\\';
    return folder + "k4logio.log";
}

std::string copyDriverLog() {
    const std::string path = driverLogPath();
    if (path.empty())
        return "Logging is off: LogFileFolder is not set in section [RIGS] of " + iniPath() +
               ".\nTo turn it on: make a folder such as C:\\K4Logs, add the line LogFileFolder=C:\\K4Logs to "
               "section [RIGS], start the logger, do what went wrong, close the logger, and run qbhost report "
               "again.\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "LogFileFolder names " + path + ", which cannot be read: " + systemErrorText(GetLastError()) +
               ". Does the folder exist, and has the logger run since it was set?\n";
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const std::string tail = tailOf(file, size.QuadPart);
    CloseHandle(file);
    const std::string what = size.QuadPart > kTail ? "its last 200 KB, from the first whole line, follow"
                                                   : "all of it follows";
    return path + ", " + std::to_string(size.QuadPart) + " bytes, as it was before qbhost loaded the driver; " +
           what + ":\n" + tail;
}

}  // namespace qbhost
