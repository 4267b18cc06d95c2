#include "tools/qbhost/ReportPrivacy.h"

#include <cctype>
#include <cstring>

namespace qbhost {
namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool sameLetters(const std::string& text, size_t at, const std::string& part) {
    if (text.size() - at < part.size()) return false;
    for (size_t i = 0; i < part.size(); ++i)
        if (lower(text[at + i]) != lower(part[i])) return false;
    return true;
}

bool sameKey(const std::string& key, const std::string& name) {
    return key.size() == name.size() && sameLetters(key, 0, name);
}

// A character that cannot continue a folder's name: the path goes on below
// it, or the name has ended.
bool endsFolderName(const std::string& text, size_t at) {
    if (at == text.size()) return true;
    const auto c = static_cast<unsigned char>(text[at]);
    return c < 0x20 || std::strchr("\\/\"<>|:*?", c) != nullptr;
}

}  // namespace

bool isDriverKey(const std::string& key) {
    return sameLetters(key, 0, "ELECRAFT_K4_") || sameLetters(key, 0, "K4Slot") ||
           sameKey(key, "K4onSerialEnable") || sameKey(key, "LogFileFolder");
}

std::string withProfileHidden(const std::string& text, const std::string& profile) {
    if (profile.empty()) return text;
    std::string result;
    for (size_t at = 0; at < text.size();) {
        if (sameLetters(text, at, profile) && endsFolderName(text, at + profile.size())) {
            result += "%USERPROFILE%";
            at += profile.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

}  // namespace qbhost
