// The portable private-profile functions on real files: lookups, the copy
// into the caller's buffer, integer reading and rewriting. The comparison
// with the Windows functions themselves is ProfileDifferentialTest.
#include "platform/portable/Profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/TestFolder.h"

namespace profile = platform::profile;

namespace {

struct Read {
    uint32_t count;
    std::string text;
};

class PortableProfile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.put("rigs.ini",
                    "top=first\r\n"
                    "[ Rigs ]\r\n"
                    "  Spaced Key  =  spaced value  \r\n"
                    "quoted=\"in quotes\"\r\n"
                    "single='x'\r\n"
                    "mismatched=\"abc'\r\n"
                    "empty=\r\n"
                    "bare\r\n"
                    "dup=one\r\n"
                    "dup=two\r\n"
                    "[RIGS]\r\n"
                    "hidden=in the second section of the same name\r\n"
                    "[Numbers]\r\n"
                    "n=42\r\n");
    }

    Read read(const char* section, const char* key, const char* fallback = "dflt", uint32_t capacity = 128,
              const std::string& name = "rigs.ini") const {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        const uint32_t count = profile::getString(folder_.file(name), section, key, fallback, buffer, capacity);
        return {count, capacity ? std::string(buffer) : std::string()};
    }

    uint32_t readInt(const std::string& value, int fallback = 99) const {
        folder_.put("int.ini", "[N]\r\nk=" + value + "\r\n");
        return profile::getInt(folder_.file("int.ini"), "N", "k", fallback);
    }

    bool write(const char* section, const char* key, const char* value, const std::string& name = "w.ini") const {
        return profile::writeString(folder_.file(name), section, key, value);
    }

    TestFolder folder_;
};

void expectRead(const Read& read, uint32_t count, const std::string& text) {
    EXPECT_EQ(read.count, count);
    EXPECT_EQ(read.text, text);
}

TEST_F(PortableProfile, FindsSectionsAndKeysIgnoringCaseAndSurroundingBlanks) {
    expectRead(read("RIGS", "spaced key"), 12, "spaced value");
    expectRead(read("  rigs\t", " SPACED KEY "), 12, "spaced value");
    expectRead(read("", "TOP"), 5, "first");
}

TEST_F(PortableProfile, SearchesOnlyTheFirstSectionOfANameAndTakesTheFirstKey) {
    expectRead(read("rigs", "hidden"), 4, "dflt");
    expectRead(read("rigs", "dup"), 3, "one");
}

TEST_F(PortableProfile, GivesTheDefaultForMissingFileSectionKeyOrValue) {
    expectRead(read("RIGS", "k", "dflt", 128, "absent.ini"), 4, "dflt");
    expectRead(read("Other", "n"), 4, "dflt");
    expectRead(read("RIGS", "n"), 4, "dflt");
    expectRead(read("RIGS", "bare"), 4, "dflt");
    expectRead(read("RIGS", "empty"), 0, "");
    expectRead(read("RIGS", "n", nullptr), 0, "");
}

TEST_F(PortableProfile, DefaultLosesTrailingSpacesButNotItsFirstCharacter) {
    expectRead(read("RIGS", "n", "  x  "), 3, "  x");
    expectRead(read("RIGS", "n", "   "), 1, " ");
    expectRead(read("RIGS", "n", "  x  ", 128, "absent.ini"), 3, "  x");
}

TEST_F(PortableProfile, RemovesMatchingQuotesOnly) {
    expectRead(read("RIGS", "quoted"), 9, "in quotes");
    expectRead(read("RIGS", "single"), 1, "x");
    expectRead(read("RIGS", "mismatched"), 5, "\"abc'");
    expectRead(read("RIGS", "n", "'quoted default'"), 14, "quoted default");
}

TEST_F(PortableProfile, CutsToCapacityLessOne) {
    expectRead(read("Numbers", "n", "", 2), 1, "4");
    expectRead(read("Numbers", "n", "", 1), 0, "");
    expectRead(read("RIGS", "spaced key", "", 7), 6, "spaced");
}

TEST_F(PortableProfile, CapacityZeroLeavesTheBufferAlone) {
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(profile::getString(folder_.file("rigs.ini"), "RIGS", "quoted", "", buffer, 0), 0u);
    EXPECT_EQ(std::string(buffer, 4), "####");
}

// A quoted value loses its closing quote once the capacity reaches the length
// of the text after the opening quote (10 here); at exactly that capacity the
// quote was never copied and the last letter goes instead, as on Windows.
TEST_F(PortableProfile, QuotedValueCutByCapacity) {
    expectRead(read("RIGS", "quoted", "", 11), 9, "in quotes");
    expectRead(read("RIGS", "quoted", "", 10), 8, "in quote");
    expectRead(read("RIGS", "quoted", "", 9), 8, "in quote");
    expectRead(read("RIGS", "quoted", "", 4), 3, "in ");
}

TEST_F(PortableProfile, ReadsIntegersAsTheWindowsFunction) {
    EXPECT_EQ(readInt("42"), 42u);
    EXPECT_EQ(readInt("  -12x"), static_cast<uint32_t>(-12));
    EXPECT_EQ(readInt("+7"), 7u);
    EXPECT_EQ(readInt("abc"), 0u);
    EXPECT_EQ(readInt("- 5"), 0u);
    EXPECT_EQ(readInt("12 34"), 12u);
    EXPECT_EQ(readInt("'  5'"), 5u);
    EXPECT_EQ(readInt(""), 99u);
    EXPECT_EQ(readInt("''"), 99u);
}

TEST_F(PortableProfile, IntegerPrefixesAndWrapAround) {
    EXPECT_EQ(readInt("0x1F"), 31u);
    EXPECT_EQ(readInt("0X1F"), 0u);
    EXPECT_EQ(readInt("0o17"), 15u);
    EXPECT_EQ(readInt("0b101"), 5u);
    EXPECT_EQ(readInt("0x"), 0u);
    EXPECT_EQ(readInt("70000"), 70000u);
    EXPECT_EQ(readInt("4294967296"), 0u);
    EXPECT_EQ(readInt("99999999999"), 1215752191u);
    EXPECT_EQ(readInt("-2147483649"), 2147483647u);
    // Only the first 29 characters count.
    EXPECT_EQ(readInt("123456789012345678901234567890123"), readInt("12345678901234567890123456789"));
}

TEST_F(PortableProfile, WriteCreatesFileSectionAndKey) {
    EXPECT_TRUE(write("RIGS", "K4Slot1", "radio-7"));
    EXPECT_EQ(folder_.read("w.ini"), "[RIGS]\r\nK4Slot1=radio-7\r\n");
    EXPECT_TRUE(write("Other", "k", "  v  "));
    EXPECT_EQ(folder_.read("w.ini"), "[RIGS]\r\nK4Slot1=radio-7\r\n[Other]\r\nk=v  \r\n");
}

TEST_F(PortableProfile, WriteReplacesTheValueAndRewritesTheRestInCanonicalForm) {
    folder_.put("w.ini", ";note\n[rigs]\n\n  Key = old \n\nother=1\n[Next]\nz=2");
    EXPECT_TRUE(write("RIGS", "KEY", "new"));
    EXPECT_EQ(folder_.read("w.ini"), ";note\r\n[rigs]\r\nKey=new\r\nother=1\r\n[Next]\r\nz=2\r\n");
}

TEST_F(PortableProfile, WriteOfTheSameValueLeavesTheFileUntouched) {
    const std::string original = "[A]\n  k = v \n\n";
    folder_.put("w.ini", original);
    EXPECT_TRUE(write("a", "K", " v"));
    EXPECT_EQ(folder_.read("w.ini"), original);
}

TEST_F(PortableProfile, NullValueRemovesKeyAndNullKeyRemovesASection) {
    folder_.put("w.ini", "[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\n");
    EXPECT_TRUE(write("a", "K", nullptr));
    EXPECT_EQ(folder_.read("w.ini"), "[A]\r\nj=2\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\n");
    EXPECT_TRUE(write("a", nullptr, nullptr));
    EXPECT_EQ(folder_.read("w.ini"), "[B]\r\nk=3\r\n[a]\r\nk=4\r\n");
    EXPECT_TRUE(write("gone", "k", nullptr, "never.ini"));
    EXPECT_FALSE(folder_.read("never.ini"));
}

TEST_F(PortableProfile, WriteFailsWithoutSectionOrWritableFolder) {
    EXPECT_FALSE(write(nullptr, "k", "v"));
    EXPECT_FALSE(profile::writeString(folder_.file("no-such-folder/w.ini"), "A", "k", "v"));
    EXPECT_FALSE(folder_.read("w.ini"));
}

}  // namespace
