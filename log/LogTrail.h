// The process's I/O log trail: one text file per load of the driver, in the
// folder that the setting LogFileFolder names, recording every command sent,
// every block received and the poll cycle's decisions.
//
// Concurrency: writers come from the host's thread (rig objects) and from the
// discovery thread. Each entry is formatted outside the lock; the mutex covers
// only the append to the file and the update of lastLineTime_ (an atomic, as
// it is read before the lock is taken). When logging is off every write
// returns before formatting or allocating anything.
#pragma once

#include <atomic>
#include <cstddef>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/SteadyClock.h"

class LogTrail {
public:
    explicit LogTrail(platform::Clock clock = platform::steadyClock());

    // Reads LogFileFolder from the host's INI file and, when it names a
    // folder, creates "k4logio.log" there and writes the banner.
    void open();
    // The same with the folder given; an empty folder leaves logging off.
    void openInFolder(const std::string& folder);

    bool isOpen() const { return file_.is_open(); }

    // Header and message only.
    void writeMessage(int id, const std::string& message);
    // Header, message and the text (quoted or not); an empty text is the message form.
    void writeText(int id, const std::string& message, const std::string& text, bool quoted);
    // Header, message and received bytes, quoted; no bytes is the message form.
    void writeBytes(int id, const std::string& message, const std::vector<char>& bytes);
    // Header, message and the producer's text, unquoted. The producer runs
    // only when logging is on; an empty result is the message form.
    void writeDetails(int id, const std::string& message, const std::function<std::string()>& details);
    // Header, message and raw data, as text when every byte is printable
    // ASCII, otherwise as hexadecimal.
    void writeData(int id, const std::string& message, const char* data, size_t length, bool quoted);

private:
    void append(const std::string& entry, platform::Nanos now);
    std::string header(int id, platform::Nanos now) const;

    platform::Clock clock_;
    std::mutex mutex_;
    std::ofstream file_;
    std::atomic<platform::Nanos> lastLineTime_{0};
};
