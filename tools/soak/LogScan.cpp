#include "LogScan.h"

#include <regex>
#include <string>

namespace soak {

namespace {

// Blanks, a number, blanks, a number and a blank: an entry's header (the
// writer's id and the milliseconds since the previous entry).
bool isEntry(const std::string& line) {
    std::size_t at = 0;
    const auto skip = [&](auto wanted) {
        const std::size_t from = at;
        while (at < line.size() && wanted(line[at])) ++at;
        return at > from;
    };
    const auto blank = [](char c) { return c == ' '; };
    const auto number = [&] {
        if (at < line.size() && line[at] == '-') ++at;
        return skip([](char c) { return c >= '0' && c <= '9'; });
    };
    skip(blank);
    return number() && skip(blank) && number() && at < line.size() && line[at] == ' ';
}

}  // namespace

bool isExceptionEntry(const std::string& line) {
    static const std::regex entry("^ *-?[0-9]+ *[0-9]+ (link )?exception( .*)?\r?$");
    return std::regex_match(line, entry);
}

std::vector<std::string> LogScan::newExceptions() {
    std::vector<std::string> found;
    std::ifstream file(path_, std::ios::binary);
    if (!file) return found;
    file.seekg(offset_);
    std::string chunk(64 * 1024, '\0');
    while (file.read(&chunk[0], static_cast<std::streamsize>(chunk.size())) || file.gcount() > 0) {
        const auto size = static_cast<std::size_t>(file.gcount());
        offset_ += static_cast<std::streamoff>(size);
        for (std::size_t i = 0; i < size; ++i) {
            if (chunk[i] != '\n') {
                partial_ += chunk[i];
                continue;
            }
            if (isExceptionEntry(partial_)) found.push_back(partial_);
            sawEntry_ = sawEntry_ || isEntry(partial_);
            partial_.clear();
        }
    }
    return found;
}

void scanDriverLog(LogScan& log, CallWatch& calls, bool closed) {
    for (const auto& entry : log.newExceptions()) calls.violation("the driver's log shows an exception: " + entry);
    if (closed && !log.sawEntry()) calls.violation("the driver's log " + log.path() + " is missing or has no entry");
}

}  // namespace soak
