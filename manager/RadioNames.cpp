#include "manager/RadioNames.h"

#include <algorithm>
#include <map>

namespace chooser {
namespace {

bool isAllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<std::string> radioNames(const std::vector<K4Ip::Discovered>& radios) {
    std::vector<std::string> names;
    std::map<std::string, int> uses;
    for (const auto& radio : radios) {
        names.push_back(isAllDigits(radio.name()) ? "K4 " + radio.id() : radio.name());
        ++uses[names.back()];
    }
    for (size_t i = 0; i < names.size(); ++i)
        if (uses[names[i]] > 1) names[i] += " (" + radios[i].id() + ")";
    return names;
}

}  // namespace chooser
