// A fresh folder for one test's log file, removed afterwards, and the file's
// entry lines read back once the log trail has closed it.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace coretest {

class TempLogFolder {
public:
    TempLogFolder() : path_(uniquePath()) { std::filesystem::create_directories(path_); }
    ~TempLogFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempLogFolder(const TempLogFolder&) = delete;
    TempLogFolder& operator=(const TempLogFolder&) = delete;

    std::string path() const { return path_.string(); }

    // The lines after the two banner lines of k4logio.log.
    std::vector<std::string> entryLines() const {
        std::ifstream file(path_ / "k4logio.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        if (lines.size() < 2) return {};
        return std::vector<std::string>(lines.begin() + 2, lines.end());
    }

private:
    static std::filesystem::path uniquePath() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        return std::filesystem::temp_directory_path() /
               ("qbox-riglog-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    }

    std::filesystem::path path_;
};

}  // namespace coretest
