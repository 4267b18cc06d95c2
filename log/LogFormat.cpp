#include "log/LogFormat.h"

#include <algorithm>

#include "platform/Path.h"

namespace logformat {

namespace {

std::string rightAligned(int64_t value, size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string twoDigits(int64_t value) { return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10); }

bool isPrintable(char c) { return c >= 0x20 && c <= 0x7E; }

void appendText(std::string& entry, const char* data, size_t length, bool quoted) {
    size_t column = entry.size();
    entry += ' ';
    if (quoted) entry += '"';
    ++column;
    for (size_t i = 0; i < length; ++i) {
        if (column == 0 && quoted) {
            entry += '"';
            entry += data[i];
            column = 1;
            continue;
        }
        entry += data[i];
        if (++column == kLineWidth) {
            column = 0;
            if (quoted) entry += '"';
            entry += '\n';
        }
    }
    if (column != 0) {
        if (quoted) entry += '"';
        entry += '\n';
    }
}

void appendHex(std::string& entry, const char* data, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    size_t column = entry.size();
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        entry += ' ';
        entry += kDigits[byte >> 4];
        entry += kDigits[byte & 0x0F];
        column += 3;
        if (column >= kLineWidth) {
            column = 0;
            entry += '\n';
        }
    }
    if (column != 0) entry += '\n';
}

}  // namespace

int64_t elapsedMillis(int64_t elapsedNanos) { return elapsedNanos / 1'000'000; }

std::string header(int id, int64_t millis) { return rightAligned(id, 3) + rightAligned(millis, 6) + ' '; }

void appendData(std::string& entry, const char* data, size_t length, bool quoted) {
    if (std::all_of(data, data + length, isPrintable)) {
        appendText(entry, data, length, quoted);
    } else {
        appendHex(entry, data, length);
    }
}

// The day count becomes a proleptic Gregorian date by counting 400-year eras
// from 0000-03-01, so that the leap day ends each counted year.
std::string utcDateLine(int64_t secondsSinceEpoch) {
    constexpr int64_t kSecondsPerDay = 86400;
    int64_t days = secondsSinceEpoch / kSecondsPerDay;
    int64_t seconds = secondsSinceEpoch % kSecondsPerDay;
    if (seconds < 0) {
        seconds += kSecondsPerDay;
        --days;
    }
    const int64_t shifted = days + 719468;  // days since 0000-03-01
    const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return std::to_string(year) + '-' + twoDigits(month) + '-' + twoDigits(day) + ' ' + twoDigits(seconds / 3600) +
           ':' + twoDigits(seconds / 60 % 60) + ':' + twoDigits(seconds % 60);
}

std::optional<std::string> logFilePath(const std::string& folder) {
    std::string path = platform::joinPath(folder, kFileName);
    if (path.size() + 1 > kPathBuffer) return std::nullopt;
    return path;
}

}  // namespace logformat
