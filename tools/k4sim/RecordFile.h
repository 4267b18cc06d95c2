// A file that received bytes are appended to, exactly as they arrived, and
// flushed at once so that a script can read it while the simulator runs.
// Written only on the simulator's thread.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

namespace k4sim {

class RecordFile {
public:
    // Throws std::runtime_error when the file cannot be opened.
    explicit RecordFile(const std::string& path);
    void append(const char* data, std::size_t size);

private:
    std::ofstream out_;
};

}  // namespace k4sim
