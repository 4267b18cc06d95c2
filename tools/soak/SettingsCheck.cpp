#include "SettingsCheck.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

namespace soak {
namespace {

struct Line {
    std::string text;  // without its line end
    std::string section;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The file's lines, each with the section it stands in; "\r\n" and "\n" end a line.
std::vector<Line> linesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<Line> lines;
    std::string section;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string bare = trimmed(line);
        if (!bare.empty() && bare.front() == '[' && bare.back() == ']') section = lower(bare.substr(1, bare.size() - 2));
        lines.push_back({line, section});
        start = end + 1;
    }
    return lines;
}

bool hasControlByte(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

std::string slotFault(const std::string& key, const std::string& value, const ChosenIds& chosen) {
    const std::string prefix = "k4slot";
    if (lower(key).rfind(prefix, 0) != 0) return {};
    int slot = 0;
    try {
        slot = std::stoi(key.substr(prefix.size()));
    } catch (const std::exception&) {
        return {};
    }
    const auto ids = chosen.find(slot);
    if (ids != chosen.end() && ids->second.count(value)) return {};
    return key + " holds '" + value + "', which the soak never chose for that slot";
}

}  // namespace

std::string settingsFault(const std::string& path, const ChosenIds& chosen) {
    std::set<std::string> keys;
    for (const Line& line : linesOf(path)) {
        if (hasControlByte(line.text)) return "a control byte in the line '" + line.text + "'";
        const std::string bare = trimmed(line.text);
        if (bare.empty() || bare.front() == ';' || bare.front() == '[') continue;
        const auto equals = bare.find('=');
        if (equals == std::string::npos) return "a line that is neither a section nor a key: '" + line.text + "'";
        if (line.section != "rigs") continue;
        const std::string key = trimmed(bare.substr(0, equals));
        if (!keys.insert(lower(key)).second) return "the key " + key + " twice in section RIGS";
        const std::string fault = slotFault(key, trimmed(bare.substr(equals + 1)), chosen);
        if (!fault.empty()) return fault;
    }
    for (const auto& slot : chosen)
        if (!keys.count("k4slot" + std::to_string(slot.first))) return "no K4Slot" + std::to_string(slot.first) + " key";
    return {};
}

bool settingsHaveKey(const std::string& path, const std::string& key) {
    for (const Line& line : linesOf(path)) {
        const std::string bare = trimmed(line.text);
        const auto equals = bare.find('=');
        if (line.section == "rigs" && equals != std::string::npos && lower(trimmed(bare.substr(0, equals))) == lower(key))
            return true;
    }
    return false;
}

}  // namespace soak
