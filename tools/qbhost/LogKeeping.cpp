#include "tools/qbhost/LogKeeping.h"

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>

namespace qbhost {
namespace {

constexpr const char* kPrefix = "k4logio-";
constexpr const char* kSuffix = ".log";
constexpr const char* kHeading =
    "# The copies of k4logio.log that qbhost made, oldest first. qbhost deletes the oldest beyond five,\r\n"
    "# and only files named here.\r\n";

}  // namespace

std::string logCopyName(const LocalStamp& t, int attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%04d%02d%02d-%02d%02d%02d", kPrefix, t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::string(name) + (attempt > 1 ? "-" + std::to_string(attempt) : "") + kSuffix;
}

bool isLogCopyName(const std::string& name) {
    static const std::regex kCopyName("k4logio-[0-9]{8}-[0-9]{6}(-[0-9]+)?\\.log");
    return std::regex_match(name, kCopyName);
}

std::vector<std::string> readCopyRecord(const std::string& text) {
    std::vector<std::string> names;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (isLogCopyName(line)) names.push_back(line);
    }
    return names;
}

std::string copyRecordText(const std::vector<std::string>& names) {
    std::string text = kHeading;
    for (const std::string& name : names) text += name + "\r\n";
    return text;
}

Pruning addLogCopy(std::vector<std::string> record, const std::string& copy) {
    record.erase(std::remove(record.begin(), record.end(), copy), record.end());
    record.push_back(copy);
    Pruning pruning;
    const size_t surplus = record.size() > kKeptLogCopies ? record.size() - kKeptLogCopies : 0;
    pruning.toDelete.assign(record.begin(), record.begin() + static_cast<long>(surplus));
    pruning.record.assign(record.begin() + static_cast<long>(surplus), record.end());
    return pruning;
}

}  // namespace qbhost
