// The text of the I/O log trail: entry headers, the two renderings of data,
// the date line and the file's path. Pure functions, so that every byte of
// the format can be checked without a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace logformat {

inline constexpr const char* kBanner = "quillbox k4 driver version 12,0,73,4 ";
inline constexpr const char* kFileName = "k4logio.log";
// The composed path, terminator included, must fit a buffer of this size.
inline constexpr size_t kPathBuffer = 2048;
// Data lines end when their count of characters reaches this column.
inline constexpr size_t kLineWidth = 80;

// Whole milliseconds of an elapsed time in nanoseconds, truncated toward
// zero. Integer arithmetic, so that an interval of exactly N ms shows N in
// every build.
int64_t elapsedMillis(int64_t elapsedNanos);

// The writer's id right-aligned in 3 columns, the milliseconds in 6, and a
// space; wider numbers take more columns.
std::string header(int id, int64_t millis);

// Appends the data to an entry that holds its header and message: as text
// (wrapped at column 80, each line in its own quotes when quoted) when every
// byte is printable ASCII, otherwise as lowercase hex pairs.
void appendData(std::string& entry, const char* data, size_t length, bool quoted);

// "year-mm-dd hh:mm:ss" of a UTC time given in seconds since 1970.
std::string utcDateLine(int64_t secondsSinceEpoch);

// The folder, a separator unless it ends with one, and the file name; none
// when that would not fit the path buffer.
std::optional<std::string> logFilePath(const std::string& folder);

}  // namespace logformat
