#include "tools/qbhost/LogAside.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "settings/Settings.h"
#include "tools/qbhost/LogKeeping.h"
#include "tools/qbhost/Station.h"

namespace qbhost {
namespace {

constexpr int kMostAttempts = 99;

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

LocalStamp localStamp(const FILETIME& written) {
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&written, &utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records the new copy and deletes the oldest beyond five; a copy that does
// not go stays in the record, to go next time.
void keepNewestCopies(const std::string& folder, const std::string& copy) {
    const std::string recordPath = folder + kLogCopyRecord;
    Pruning pruning = addLogCopy(readCopyRecord(readFile(recordPath)), copy);
    std::vector<std::string> kept;
    for (const std::string& name : pruning.toDelete)
        if (!DeleteFileA((folder + name).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) kept.push_back(name);
    pruning.record.insert(pruning.record.begin(), kept.begin(), kept.end());
    std::ofstream(recordPath, std::ios::binary | std::ios::trunc) << copyRecordText(pruning.record);
}

}  // namespace

DriverLog findDriverLog() {
    DriverLog log;
    log.folder = settings::logFolder();
    if (log.folder.empty()) return log;
    log.path = withSeparator(log.folder) + "k4logio.log";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(log.path.c_str(), GetFileExInfoStandard, &data)) {
        log.state = folderExists(log.folder) ? DriverLog::State::Absent : DriverLog::State::NoFolder;
        return log;
    }
    log.state = DriverLog::State::InPlace;
    log.size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return log;
}

DriverLog moveDriverLogAside() {
    DriverLog log = findDriverLog();
    if (log.state != DriverLog::State::InPlace) return log;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(log.path.c_str(), GetFileExInfoStandard, &data);
    const std::string folder = withSeparator(log.folder);
    for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
        const std::string name = logCopyName(localStamp(data.ftLastWriteTime), attempt);
        // Without MOVEFILE_REPLACE_EXISTING: a file of that name is never replaced.
        if (MoveFileExA(log.path.c_str(), (folder + name).c_str(), 0)) {
            log.state = DriverLog::State::MovedAside;
            log.path = folder + name;
            keepNewestCopies(folder, name);
            return log;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            log.whyNotMoved = systemErrorText(error);
            return log;
        }
    }
    log.whyNotMoved = "every name k4logio-<date>-<time>-<n>.log for its time is taken";
    return log;
}

}  // namespace qbhost
