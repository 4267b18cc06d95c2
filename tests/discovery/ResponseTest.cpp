// The discovery answer "k4:name:info:id": what is accepted, how it splits,
// and why the rest is not.
#include "discovery/Response.h"

#include <gtest/gtest.h>

namespace {

using K4Ip::parseResponse;
using K4Ip::Rejection;

std::optional<K4Ip::ResponseFields> parse(const std::string& text) {
    return parseResponse(text.data(), text.size()).fields;
}

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

// Each rule, with the reason the log gives; the tag is checked at the first
// ':', the count of ':' after the last byte, then the name and the id.
TEST(Response, GivesTheReasonForEachBrokenRule) {
    const std::pair<std::string, Rejection> cases[] = {
        {"k4::beta:gamma", Rejection::noName},
        {"k4:alpha:beta:", Rejection::noId},
        {"k4:::", Rejection::noName},
        {"k4:alpha:beta:gamma:omega", Rejection::tooManyFields},
        {"k4:alpha:beta", Rejection::tooFewFields},
        {"k4alphabetagamma", Rejection::tooFewFields},
        {"", Rejection::tooFewFields},
        {"K4:alpha:beta:gamma", Rejection::wrongTag},
        {"k4x:alpha:beta:gamma", Rejection::wrongTag},
        {"k:alpha:beta:gamma", Rejection::wrongTag},
        {":alpha:beta:gamma", Rejection::wrongTag},
        {"K4:alpha:beta:gamma:omega", Rejection::wrongTag},
    };
    for (const auto& [text, rejection] : cases) {
        const auto parsed = parseResponse(text.data(), text.size());
        EXPECT_EQ(parsed.rejection, rejection) << text;
        EXPECT_FALSE(parsed.fields) << text;
    }
    EXPECT_STREQ(K4Ip::rejectionText(Rejection::tooManyFields), "too many fields");
    EXPECT_STREQ(K4Ip::rejectionText(Rejection::listFull), "list full");
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
    const auto parsed = parseResponse(text.data(), text.size() - 5);
    ASSERT_TRUE(parsed.fields);
    EXPECT_EQ(parsed.fields->id, "gamma");
    EXPECT_EQ(parsed.rejection, Rejection::none);
}

}  // namespace
