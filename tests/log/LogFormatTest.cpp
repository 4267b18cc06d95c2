// The bytes of the log trail's format, without a file: headers, elapsed
// milliseconds, the date line and the file's path.
#include "log/LogFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Path.h"

namespace {

TEST(LogFormat, HeaderRightAlignsIdInThreeAndMillisInSixColumns) {
    EXPECT_EQ(logformat::header(0, 0), "  0     0 ");
    EXPECT_EQ(logformat::header(12, 15), " 12    15 ");
    EXPECT_EQ(logformat::header(-1, 999999), " -1999999 ");
    EXPECT_EQ(logformat::header(1234, 1099511), "12341099511 ");
}

// An interval of exactly N ms shows N (through floating point, 1 ms showed 0
// on the x87 unit and 16777 ms showed 16776 through a float); the rest of a
// millisecond is cut off.
TEST(LogFormat, ElapsedMillisAreExactAndTruncated) {
    for (int64_t millis : {0, 1, 15, 999, 1000, 16777, 3600000, 86400000})
        EXPECT_EQ(logformat::elapsedMillis(millis * 1000000), millis) << millis;
    EXPECT_EQ(logformat::elapsedMillis(1500000), 1);
    EXPECT_EQ(logformat::elapsedMillis(999999999), 999);
    EXPECT_EQ(logformat::elapsedMillis(int64_t{1} << 40), 1099511);
    EXPECT_EQ(logformat::elapsedMillis(-1500000), -1);
}

TEST(LogFormat, DateLineIsUtcWithTwoDigitFields) {
    EXPECT_EQ(logformat::utcDateLine(0), "1970-01-01 00:00:00");
    EXPECT_EQ(logformat::utcDateLine(1796547903), "2026-12-06 09:05:03");
    EXPECT_EQ(logformat::utcDateLine(951868799), "2000-02-29 23:59:59");
    EXPECT_EQ(logformat::utcDateLine(4107542400), "2100-03-01 00:00:00");
    EXPECT_EQ(logformat::utcDateLine(-1), "1969-12-31 23:59:59");
}

TEST(LogFormat, PathHasOneSeparatorBeforeTheFileName) {
    const std::string folder = std::string("logs") + platform::kPathSeparator + "k4";
    const std::string expected = folder + platform::kPathSeparator + "k4logio.log";
    EXPECT_EQ(logformat::logFilePath(folder), expected);
    EXPECT_EQ(logformat::logFilePath(folder + platform::kPathSeparator), expected);
}

// Folder, separator, the 11 characters of the name and the terminator must
// fit 2048 bytes: a folder of 2035 characters is the longest that does.
TEST(LogFormat, PathThatWouldOverflowItsBufferIsRefused) {
    EXPECT_EQ(logformat::logFilePath(std::string(2035, 'f'))->size(), 2047u);
    EXPECT_FALSE(logformat::logFilePath(std::string(2036, 'f')));
    const std::string terminated = std::string(2035, 'f') + platform::kPathSeparator;
    EXPECT_EQ(logformat::logFilePath(terminated)->size(), 2047u);
    EXPECT_FALSE(logformat::logFilePath(std::string(2037, 'f')));
}

}  // namespace
