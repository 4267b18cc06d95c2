#include "support/TempIniFolder.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>

#include "settings/Settings.h"
#include "platform/Profile.h"

namespace testsupport {

namespace {

std::filesystem::path uniqueFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::filesystem::temp_directory_path() /
           ("qbox-ini-" + std::to_string(stamp) + "-" + std::to_string(counter++));
}

}  // namespace

TempIniFolder::TempIniFolder() : folder_(uniqueFolder()) {
    std::filesystem::create_directories(folder_);
    variable_ = "QBOX_INI_DIR=" + folder_.string();
    putenv(&variable_[0]);
    clearSection();
}

TempIniFolder::~TempIniFolder() {
    clearSection();
    static char unset[] = "QBOX_INI_DIR=";
    putenv(unset);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void TempIniFolder::set(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(settings::kSection, key.c_str(), value.c_str(), settings::kFile);
}

// On Windows the settings file is the prefix's one, shared by every test
// program (CTest runs those one at a time): each test starts from defaults.
void TempIniFolder::clearSection() {
    WritePrivateProfileStringA(settings::kSection, nullptr, nullptr, settings::kFile);
}

void TempIniFolder::erase(const std::string& key) {
    WritePrivateProfileStringA(settings::kSection, key.c_str(), nullptr, settings::kFile);
}

}  // namespace testsupport
