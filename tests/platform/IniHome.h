// The folder in which the private-profile functions find a bare INI file
// name such as "quillbox.ini", given to one test at a time. On Linux that is
// a fresh folder that QBOX_INI_DIR names while the object lives; on Windows
// it is the Windows folder, whose quillbox.ini is set aside when the object
// is made and put back when it goes (CTest runs the Wine programs one at a
// time).
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "TestFolder.h"

class IniHome {
public:
    IniHome();
    ~IniHome();
    IniHome(const IniHome&) = delete;
    IniHome& operator=(const IniHome&) = delete;

    std::string file(const std::string& name) const { return folder_ + separator_ + name; }

    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary | std::ios::trunc) << bytes;
    }

    // The file's bytes, or none when there is no such file.
    std::optional<std::string> read(const std::string& name = "quillbox.ini") const {
        return TestFolder::readFile(file(name));
    }

    // While it lives, the file is a folder of that name, which the
    // private-profile functions can neither read nor write (not even for
    // root, to whom a read-only file stays writable); then the file is back
    // as it was.
    class Blocked {
    public:
        explicit Blocked(std::filesystem::path path) : path_(std::move(path)), aside_(path_.string() + ".aside") {
            std::error_code none;
            std::filesystem::rename(path_, aside_, none);
            std::filesystem::create_directory(path_);
        }
        ~Blocked() {
            std::filesystem::remove(path_);
            std::error_code none;
            std::filesystem::rename(aside_, path_, none);
        }
        Blocked(const Blocked&) = delete;
        Blocked& operator=(const Blocked&) = delete;

    private:
        std::filesystem::path path_;
        std::filesystem::path aside_;
    };
    std::unique_ptr<Blocked> block(const std::string& name = "quillbox.ini") const {
        return std::make_unique<Blocked>(file(name));
    }

private:
    std::unique_ptr<TestFolder> ownFolder_;  // Linux: the folder QBOX_INI_DIR names
    std::string folder_;
    char separator_;
    std::optional<std::string> setAside_;  // Windows: the INI file found there
};
