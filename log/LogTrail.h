// The process's I/O log trail: one text file per load of the driver, in the
// folder that the setting LogFileFolder names, recording every command sent,
// every block received and the poll cycle's decisions.
//
// Concurrency: writers come from the host's thread (rig objects) and from the
// discovery thread. Each entry is formatted outside the lock; the mutex covers
// only the append to the file and the update of lastLineTime_ (an atomic, as
// it is read before the lock is taken). When logging is off every write
// returns before formatting or allocating anything, and a details producer
// is never called.
#pragma once

#include <atomic>
#include <cstddef>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SteadyClock.h"

class LogTrail {
public:
    explicit LogTrail(platform::Clock clock = platform::steadyClock());

    // Reads LogFileFolder from the host's INI file and, when it names a
    // folder, creates "k4logio.log" there and writes the banner.
    void open();
    // The same with the folder given; an empty folder, or one too long for
    // the path buffer, leaves logging off.
    void openInFolder(const std::string& folder);

    bool isOpen() const { return file_.is_open(); }

    // Header and message only.
    void writeMessage(int id, std::string_view message);
    // Header, message and the text (quoted or not); an empty text is the message form.
    void writeText(int id, std::string_view message, std::string_view text, bool quoted);
    // Header, message and received bytes, quoted; no bytes is the message form.
    void writeBytes(int id, std::string_view message, const std::vector<char>& bytes);
    // Header, message and the producer's text, unquoted. The producer (any
    // callable returning std::string) runs only when logging is on, and is
    // taken as it is, so that a call costs nothing when logging is off; an
    // empty result is the message form.
    template <typename Producer>
    void writeDetails(int id, std::string_view message, Producer&& details) {
        if (!isOpen()) return;
        writeProduced(id, message, details());
    }
    // Header, message and raw data, as text when every byte is printable
    // ASCII, otherwise as hexadecimal.
    void writeData(int id, std::string_view message, const char* data, size_t length, bool quoted);

private:
    void createFile(const std::string& path);
    void writeProduced(int id, std::string_view message, const std::string& details);
    // The entry's header, with the milliseconds since the previous entry,
    // followed by the message.
    std::string begin(int id, std::string_view message, platform::Nanos now) const;
    void append(const std::string& entry, platform::Nanos now);

    platform::Clock clock_;
    std::mutex mutex_;
    std::ofstream file_;
    std::atomic<platform::Nanos> lastLineTime_{0};
};
