#include "manager/RadioNames.h"

#include <algorithm>
#include <unordered_map>

namespace chooser {
namespace {

bool isAllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string shownName(const K4Ip::Discovered& radio) {
    std::string name = radio.name();
    std::replace_if(name.begin(), name.end(), isControlByte, '?');
    return isAllDigits(name) ? "K4 " + radio.id() : name;
}

// The positions of the names that another position also has.
std::vector<size_t> sharedNames(const std::vector<std::string>& names) {
    std::unordered_map<std::string, size_t> uses;
    for (const auto& name : names) ++uses[name];
    std::vector<size_t> shared;
    for (size_t i = 0; i < names.size(); ++i)
        if (uses[names[i]] > 1) shared.push_back(i);
    return shared;
}

}  // namespace

std::vector<std::string> radioNames(const std::vector<K4Ip::Discovered>& radios) {
    std::vector<std::string> names;
    names.reserve(radios.size());
    for (const auto& radio : radios) names.push_back(shownName(radio));
    for (int round = 0; round < kMaxRounds; ++round) {
        const auto shared = sharedNames(names);
        if (shared.empty()) break;
        for (size_t i : shared) names[i] += " (" + radios[i].id() + ")";
    }
    return names;
}

}  // namespace chooser
