// A fresh folder under the system's temporary folder, removed with all its
// files when the object goes; with helpers to put and read whole files.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>

class TestFolder {
public:
    TestFolder() : path_(uniquePath()) { std::filesystem::create_directories(path_); }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // The file's bytes, or none when it does not exist.
    std::optional<std::string> read(const std::string& name) const { return readFile(file(name)); }

    static std::optional<std::string> readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

private:
    static std::filesystem::path uniquePath() {
        std::random_device entropy;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        return std::filesystem::temp_directory_path() /
               ("qbox-test-" + std::to_string(stamp) + "-" + std::to_string(entropy()));
    }

    std::filesystem::path path_;
};
