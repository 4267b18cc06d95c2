// The copies qbhost makes of the driver's log before it loads the driver,
// which starts k4logio.log afresh: their names, and which of them to delete
// so that the five newest stay. qbhost records the copies it made in a file
// beside them and deletes only copies named there, never another file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qbhost {

inline constexpr size_t kKeptLogCopies = 5;
inline constexpr const char* kLogCopyRecord = "k4logio-copies.txt";

// A local date and time, as Windows gives a file's last write.
struct LocalStamp {
    int year, month, day, hour, minute, second;
};

// "k4logio-20261206-090503.log" for the log last written at that time; the
// n-th try after a name already taken gets "-n" before ".log".
std::string logCopyName(const LocalStamp& written, int attempt);
bool isLogCopyName(const std::string& name);

// The record's copy names, oldest first: lines that are no copy names, such
// as its heading or a line a person added, name nothing to delete.
std::vector<std::string> readCopyRecord(const std::string& text);
std::string copyRecordText(const std::vector<std::string>& names);

struct Pruning {
    std::vector<std::string> record;   // what the record holds now, oldest first
    std::vector<std::string> toDelete;  // the copies beyond the newest five
};

// The record once `copy` has been made.
Pruning addLogCopy(std::vector<std::string> record, const std::string& copy);

}  // namespace qbhost
