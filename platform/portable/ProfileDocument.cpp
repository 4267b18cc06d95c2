#include "ProfileDocument.h"

#include <algorithm>

namespace platform::profile {

namespace {

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const char* const kLineEnds = "\r\n";

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

// The first element whose name equals the given one, or null; for sections
// and keys, const or not.
template <typename Items>
auto firstNamed(Items& items, const std::string& name) -> decltype(&items.front()) {
    for (auto& item : items) {
        if (equalsIgnoringCase(item.name, name)) return &item;
    }
    return nullptr;
}

}  // namespace

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string trimmedLeft(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    return std::string(first, text.end());
}

std::string trimmedRight(const std::string& text) {
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank);
    return std::string(text.begin(), last.base());
}

std::string trimmed(const std::string& text) { return trimmedRight(trimmedLeft(text)); }

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

Document::Document() : sections_(1) {}

Document Document::parse(const std::string& bytes) {
    Document document;
    size_t position = 0;
    if (bytes.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) {
        document.utf8Mark_ = true;
        position = kUtf8Mark.size();
    }
    // A run of CR and LF characters ends a line, so blank lines between
    // line ends never reach addLine.
    while (position < bytes.size()) {
        const size_t end = std::min(bytes.find_first_of(kLineEnds, position), bytes.size());
        document.addLine(bytes.substr(position, end - position));
        position = std::min(bytes.find_first_not_of(kLineEnds, end), bytes.size());
    }
    return document;
}

void Document::addLine(const std::string& rawLine) {
    const std::string line = trimmed(rawLine);
    if (line.empty()) return;
    if (line.front() == '[') {
        const size_t close = line.rfind(']');
        if (close != std::string::npos) {
            sections_.push_back(Section{trimmed(line.substr(1, close - 1)), {}});
            return;
        }
    }
    Key key;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        key.name = line;
    } else {
        key.name = trimmedRight(line.substr(0, equals));
        key.value = trimmedLeft(line.substr(equals + 1));
    }
    // Of consecutive unnamed keys only the first is kept.
    std::vector<Key>& keys = sections_.back().keys;
    if (key.name.empty() && !keys.empty() && keys.back().name.empty()) return;
    keys.push_back(std::move(key));
}

std::string Document::serialize() const {
    std::string bytes = utf8Mark_ ? kUtf8Mark : std::string();
    for (const Section& section : sections_) {
        if (!section.name.empty()) bytes += "[" + section.name + "]\r\n";
        for (const Key& key : section.keys) {
            bytes += key.name;
            if (key.value) bytes += "=" + *key.value;
            bytes += "\r\n";
        }
    }
    return bytes;
}

const Key* Document::find(const char* section, const char* key) const {
    const Section* found = firstNamed(sections_, trimmed(text(section)));
    return found ? firstNamed(found->keys, trimmed(text(key))) : nullptr;
}

// A new section or key takes the name as given less its leading blanks.
bool Document::set(const char* section, const char* key, const char* value) {
    Section* target = firstNamed(sections_, trimmed(text(section)));
    if (!target) {
        sections_.push_back(Section{trimmedLeft(text(section)), {}});
        target = &sections_.back();
    }
    Key* match = firstNamed(target->keys, trimmed(text(key)));
    if (!match) {
        target->keys.push_back(Key{trimmedLeft(text(key)), std::nullopt});
        match = &target->keys.back();
    }
    const std::string newValue = trimmedLeft(text(value));
    if (match->value == newValue) return false;
    match->value = newValue;
    return true;
}

// Removal matches names exactly as given (no trimming) and takes the first
// match only: a key from the first section of the name that has it, the first
// section of the name (never one without a name).
bool Document::removeKey(const char* section, const char* key) {
    const std::string sectionName = text(section);
    const std::string name = text(key);
    for (Section& candidate : sections_) {
        if (!equalsIgnoringCase(candidate.name, sectionName)) continue;
        const auto match = std::find_if(candidate.keys.begin(), candidate.keys.end(),
                                        [&](const Key& k) { return equalsIgnoringCase(k.name, name); });
        if (match != candidate.keys.end()) {
            candidate.keys.erase(match);
            return true;
        }
    }
    return false;
}

bool Document::removeSection(const char* section) {
    const std::string name = text(section);
    const auto match = std::find_if(sections_.begin(), sections_.end(), [&](const Section& candidate) {
        return !candidate.name.empty() && equalsIgnoringCase(candidate.name, name);
    });
    if (match == sections_.end()) return false;
    sections_.erase(match);
    return true;
}

}  // namespace platform::profile
