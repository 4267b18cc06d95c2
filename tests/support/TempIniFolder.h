// Gives a test its own settings file: on Linux the private-profile functions
// keep their files in $QBOX_INI_DIR, which this points at a fresh temporary
// folder for the life of the object; on Windows the file is the system's, and
// its section is emptied when the object is made and when it goes. Writes go to section "RIGS" of
// "quillbox.ini".
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class TempIniFolder {
public:
    TempIniFolder();
    ~TempIniFolder();
    TempIniFolder(const TempIniFolder&) = delete;
    TempIniFolder& operator=(const TempIniFolder&) = delete;

    void set(const std::string& key, const std::string& value);
    void erase(const std::string& key);

private:
    static void clearSection();

    std::filesystem::path folder_;
    std::string variable_;  // putenv keeps a pointer to it
};

}  // namespace testsupport
