#include "Profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "ProfileDocument.h"

namespace platform::profile {

namespace {

// The capacity with which the integer reader fetches the value's text.
constexpr uint32_t kIntegerTextCapacity = 30;

std::mutex& fileMutex() {
    static std::mutex mutex;
    return mutex;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The file's bytes; an empty text when it does not exist, none when it
// exists but cannot be read.
std::optional<std::string> readFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
    if (std::ferror(file.get())) return std::nullopt;
    return bytes;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return std::fclose(file.release()) == 0 && written;
}

// The default loses its trailing spaces, but never its first character.
std::string effectiveDefault(const char* defaultValue) {
    std::string value = defaultValue ? defaultValue : "";
    const size_t last = value.find_last_not_of(' ');
    value.resize(last == std::string::npos ? std::min<size_t>(value.size(), 1) : last + 1);
    return value;
}

// Copies the value into the buffer as the Windows functions do: a value
// that begins and ends with the same quote character loses the opening
// quote, and the closing one too when the buffer would hold it.
uint32_t copyEntry(std::string value, char* buffer, uint32_t capacity) {
    value.resize(std::min(value.size(), value.find('\0')));
    size_t start = 0;
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front()) {
        quoted = true;
        start = 1;
    }
    const size_t rest = value.size() - start;
    size_t count = std::min<size_t>(rest, capacity - 1);
    std::memcpy(buffer, value.data() + start, count);
    if (quoted && capacity >= rest && count > 0) --count;
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    return -1;
}

uint32_t parseInteger(const char* text, size_t length) {
    const char* p = text;
    const char* const end = text + length;
    while (p < end && static_cast<unsigned char>(*p) <= ' ') ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    uint32_t base = 10;
    if (end - p >= 2 && p[0] == '0') {
        const char prefix = p[1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) p += 2;
    }
    uint32_t total = 0;
    for (; p < end; ++p) {
        const int digit = digitValue(*p);
        if (digit < 0 || static_cast<uint32_t>(digit) >= base) break;
        total = total * base + static_cast<uint32_t>(digit);
    }
    return negative ? 0u - total : total;
}

uint32_t lockedGetString(const std::string& path, const char* section, const char* key, const char* defaultValue,
                         char* buffer, uint32_t capacity) {
    const std::optional<std::string> bytes = readFile(path);
    if (bytes && !bytes->empty()) {
        const Document document = Document::parse(*bytes);
        const Key* found = document.find(section, key);
        if (found && found->value) return copyEntry(*found->value, buffer, capacity);
    }
    return copyEntry(effectiveDefault(defaultValue), buffer, capacity);
}

bool lockedWriteString(const std::string& path, const char* section, const char* key, const char* value) {
    const std::optional<std::string> bytes = readFile(path);
    if (!bytes) return false;
    Document document = Document::parse(*bytes);
    const bool changed = !key     ? document.removeSection(section)
                         : !value ? document.removeKey(section, key)
                                  : document.set(section, key, value);
    return !changed || writeFile(path, document.serialize());
}

}  // namespace

uint32_t getString(const std::string& path, const char* section, const char* key, const char* defaultValue,
                   char* buffer, uint32_t capacity) {
    if (!buffer || capacity == 0) return 0;
    buffer[0] = '\0';
    if (!section || !key) return 0;
    try {
        std::lock_guard<std::mutex> lock(fileMutex());
        return lockedGetString(path, section, key, defaultValue, buffer, capacity);
    } catch (...) {
        buffer[0] = '\0';
        return 0;
    }
}

uint32_t getInt(const std::string& path, const char* section, const char* key, int defaultValue) {
    char text[kIntegerTextCapacity];
    const uint32_t length = getString(path, section, key, "", text, sizeof text);
    if (length == 0) return static_cast<uint32_t>(defaultValue);
    return parseInteger(text, length);
}

bool writeString(const std::string& path, const char* section, const char* key, const char* value) {
    if (!section) return false;
    try {
        std::lock_guard<std::mutex> lock(fileMutex());
        return lockedWriteString(path, section, key, value);
    } catch (...) {
        return false;
    }
}

}  // namespace platform::profile
