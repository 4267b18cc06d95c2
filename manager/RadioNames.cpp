#include "manager/RadioNames.h"

#include <algorithm>

namespace chooser {
namespace {

bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool isAllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The name of rule (a); a name that shows nothing is named after the id too.
std::string baseName(const K4Ip::Discovered& radio) {
    const std::string name = shownText(radio.name());
    return isAllDigits(name) ? "K4 " + shownText(radio.id()) : name;
}

}  // namespace

std::string shownText(const std::string& text) {
    std::string shown = text;
    std::replace_if(shown.begin(), shown.end(), isControlByte, '?');
    const size_t first = shown.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return shown.substr(first, shown.find_last_not_of(' ') - first + 1);
}

// Every name built here is in its shown form already (a suffix ends in ')'
// or a digit), so names are alike exactly when they are equal.
std::vector<std::string> RadioNames::join(const std::vector<K4Ip::Discovered>& radios) {
    std::vector<std::string> names;
    names.reserve(radios.size());
    std::unordered_map<std::string, size_t> joiningBases;
    for (const auto& radio : radios) ++joiningBases[names.emplace_back(baseName(radio))];
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& base = names[i];
        if (joiningBases[base] > 1 || bases_.count(base) != 0 || shown_.count(base) != 0)
            names[i] += " (" + shownText(radios[i].id()) + ")";
    }
    for (const auto& [base, uses] : joiningBases) bases_[base] += uses;

    std::unordered_map<std::string, size_t> reserved;  // names of joining radios not yet given
    for (const auto& name : names) ++reserved[name];
    for (auto& name : names) {
        --reserved[name];
        if (shown_.count(name) != 0) name = marked(name, reserved);
        shown_.insert(name);
    }
    return names;
}

void RadioNames::clear() {
    bases_.clear();
    shown_.clear();
    nextMark_.clear();
}

std::string RadioNames::marked(const std::string& name, const std::unordered_map<std::string, size_t>& reserved) {
    unsigned& next = nextMark_[name];
    for (next = std::max(next, 2u);; ++next) {
        std::string candidate = name + " #" + std::to_string(next);
        const auto held = reserved.find(candidate);
        if (shown_.count(candidate) == 0 && (held == reserved.end() || held->second == 0)) {
            ++next;
            return candidate;
        }
    }
}

}  // namespace chooser
