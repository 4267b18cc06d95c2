// Concurrency: entries come from the host's thread and from the discovery
// thread. A writer reads the clock and lastLineTime_ (atomic) without the
// lock, formats its whole entry into a string of its own, then takes mutex_
// only to store lastLineTime_ and append the entry, so entries never
// interleave. The file is opened before the trail is shared and closed by
// its destructor; isOpen() only reads that state.
#include "log/LogTrail.h"

#include <chrono>

#include "log/LogFormat.h"
#include "settings/Settings.h"

LogTrail::LogTrail(platform::Clock clock) : clock_(std::move(clock)) {}

void LogTrail::open() { openInFolder(settings::logFolder()); }

void LogTrail::openInFolder(const std::string& folder) {
    if (!folder.empty()) {
        if (const auto path = logformat::logFilePath(folder)) createFile(*path);
    }
    lastLineTime_.store(clock_());
}

void LogTrail::createFile(const std::string& path) {
    file_.open(path, std::ios::out | std::ios::trunc);
    if (!file_.is_open()) return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    file_ << logformat::kBanner << std::endl;
    file_ << logformat::utcDateLine(std::chrono::duration_cast<std::chrono::seconds>(now).count()) << std::endl;
}

void LogTrail::writeMessage(int id, std::string_view message) {
    if (!isOpen()) return;
    const platform::Nanos now = clock_();
    append(begin(id, message, now) + '\n', now);
}

void LogTrail::writeText(int id, std::string_view message, std::string_view text, bool quoted) {
    if (!isOpen()) return;
    if (text.empty()) return writeMessage(id, message);
    writeData(id, message, text.data(), text.size(), quoted);
}

void LogTrail::writeBytes(int id, std::string_view message, const std::vector<char>& bytes) {
    if (!isOpen()) return;
    if (bytes.empty()) return writeMessage(id, message);
    writeData(id, message, bytes.data(), bytes.size(), true);
}

void LogTrail::writeProduced(int id, std::string_view message, const std::string& details) {
    if (details.empty()) return writeMessage(id, message);
    writeData(id, message, details.data(), details.size(), false);
}

void LogTrail::writeData(int id, std::string_view message, const char* data, size_t length, bool quoted) {
    if (!isOpen()) return;
    const platform::Nanos now = clock_();
    std::string entry = begin(id, message, now);
    logformat::appendData(entry, data, length, quoted);
    append(entry, now);
}

std::string LogTrail::begin(int id, std::string_view message, platform::Nanos now) const {
    const int64_t millis = logformat::elapsedMillis(now - lastLineTime_.load());
    std::string entry = logformat::header(id, millis);
    entry.append(message.data(), message.size());
    return entry;
}

void LogTrail::append(const std::string& entry, platform::Nanos now) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastLineTime_.store(now);
    file_.write(entry.data(), static_cast<std::streamsize>(entry.size()));
}
