// The discovery answer "k4:name:info:id": what is accepted and how it splits.
#include "discovery/Response.h"

#include <gtest/gtest.h>

namespace {

using K4Ip::parseResponse;

std::optional<K4Ip::ResponseFields> parse(const std::string& text) { return parseResponse(text.data(), text.size()); }

TEST(Response, SplitsTheFourFields) {
    const auto fields = parse("k4:alpha:beta:gamma");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->name, "alpha");
    EXPECT_EQ(fields->info, "beta");
    EXPECT_EQ(fields->id, "gamma");
}

TEST(Response, AllowsAnEmptyInfo) {
    const auto fields = parse("k4:alpha::gamma");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->name, "alpha");
    EXPECT_EQ(fields->info, "");
    EXPECT_EQ(fields->id, "gamma");
}

TEST(Response, RejectsEmptyNameOrId) {
    EXPECT_FALSE(parse("k4::beta:gamma"));
    EXPECT_FALSE(parse("k4:alpha:beta:"));
}

TEST(Response, RejectsAnyCountOfSeparatorsButThree) {
    EXPECT_FALSE(parse("k4:alpha:beta:gamma:omega"));
    EXPECT_FALSE(parse("k4:alpha:beta"));
    EXPECT_FALSE(parse("k4alphabetagamma"));
    EXPECT_FALSE(parse(""));
}

TEST(Response, RequiresTheExactLowerCaseTag) {
    EXPECT_FALSE(parse("K4:alpha:beta:gamma"));
    EXPECT_FALSE(parse("k4x:alpha:beta:gamma"));
    EXPECT_FALSE(parse("k:alpha:beta:gamma"));
    EXPECT_FALSE(parse(":alpha:beta:gamma"));
}

TEST(Response, KeepsTrailingControlBytesInTheId) {
    const auto fields = parse("k4:alpha:beta:gamma\r\n");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->id, "gamma\r\n");
    const std::string withNul("k4: alpha :beta:gamma\0", 22);
    const auto nul = parse(withNul);
    ASSERT_TRUE(nul);
    EXPECT_EQ(nul->name, " alpha ");
    EXPECT_EQ(nul->id, std::string("gamma\0", 6));
}

TEST(Response, ReadsOnlyTheGivenLength) {
    const std::string text = "k4:alpha:beta:gammaEXTRA";
    const auto fields = parseResponse(text.data(), text.size() - 5);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->id, "gamma");
}

}  // namespace
