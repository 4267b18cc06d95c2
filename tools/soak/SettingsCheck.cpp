#include "SettingsCheck.h"

#include <fstream>
#include <iterator>

namespace soak {

std::string settingsFileFault(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : '\n';
        if (c == '\n') {
            std::string line = text.substr(lineStart, i - lineStart);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const bool sound = line.empty() || line.front() == '[' || line.find('=') != std::string::npos;
            if (!sound) return "a line that is neither a section nor a key: '" + line + "'";
            lineStart = i + 1;
        } else if ((c < 0x20 && c != '\r' && c != '\t') || c == 0x7f) {
            return "a control byte (" + std::to_string(c) + ") in line '" +
                   text.substr(lineStart, i - lineStart) + "...'";
        }
    }
    return {};
}

}  // namespace soak
