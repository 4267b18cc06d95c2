// The log trail's files, compared whole: banner, entries in each form,
// wrapping, logging off, reopening, and two writers at once. The clock is
// injected; the file is read after the trail is gone (entries are not
// flushed one by one).
#include "log/LogTrail.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "log/LogFormat.h"
#include "platform/Path.h"
#include "platform/TestFolder.h"

namespace {

constexpr int64_t kMillisecond = 1000000;
const std::string kBannerLine = "quillbox k4 driver version 12,0,73,4 ";

std::string repeat(char c, size_t count) { return std::string(count, c); }

class LogTrailFile : public ::testing::Test {
protected:
    void SetUp() override {
        trail_ = std::make_unique<LogTrail>([this] { return now_.load(); });
        trail_->openInFolder(folder_.path());
        ASSERT_TRUE(trail_->isOpen());
    }

    void advance(int64_t nanos) { now_ += nanos; }

    // Closes the trail and gives the file's lines after the banner and the
    // date line, each ended by "\n" whatever the platform's line end is.
    std::string entries() {
        const std::string text = closedFileText();
        const size_t afterDate = text.find('\n', text.find('\n') + 1);
        return text.substr(afterDate + 1);
    }

    std::string closedFileText() {
        trail_.reset();
        std::string bytes = folder_.read("k4logio.log").value_or("");
        const std::string lineEnd = textModeLineEnd();
        std::string text;
        for (size_t at = 0; at < bytes.size();) {
            if (bytes.compare(at, lineEnd.size(), lineEnd) == 0) {
                text += '\n';
                at += lineEnd.size();
            } else {
                EXPECT_NE(bytes[at], '\n') << "a line end that is not the platform's";
                text += bytes[at++];
            }
        }
        return text;
    }

    // What a text-mode stream writes for "\n" on this platform.
    std::string textModeLineEnd() const {
        folder_.put("probe.txt", "");
        { std::ofstream(folder_.file("probe.txt")) << '\n'; }
        return folder_.read("probe.txt").value_or("");
    }

    TestFolder folder_;
    std::atomic<int64_t> now_{5 * kMillisecond};
    std::unique_ptr<LogTrail> trail_;
};

TEST_F(LogTrailFile, StartsWithBannerAndUtcDateLine) {
    const auto secondsNow = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    const std::string before = logformat::utcDateLine(secondsNow() - 1);
    trail_.reset();
    trail_ = std::make_unique<LogTrail>([this] { return now_.load(); });
    trail_->openInFolder(folder_.path());
    const std::string after = logformat::utcDateLine(secondsNow());
    const std::string text = closedFileText();
    const std::string date = text.substr(kBannerLine.size() + 1, before.size());
    EXPECT_EQ(text.substr(0, kBannerLine.size() + 1), kBannerLine + "\n");
    EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << date;
    EXPECT_TRUE(before <= date && date <= after) << before << " / " << date << " / " << after;
    EXPECT_EQ(text.size(), kBannerLine.size() + 1 + date.size() + 1);
    // A text file: CR LF where paths use '\' (Windows), LF elsewhere.
    EXPECT_EQ(textModeLineEnd(), platform::kPathSeparator == '\\' ? "\r\n" : "\n");
}

TEST_F(LogTrailFile, HeaderCarriesIdAndMillisecondsSincePreviousEntry) {
    trail_->writeMessage(0, "Discovery");
    advance(15 * kMillisecond);
    trail_->writeMessage(12, "Launch-skip");
    advance(int64_t{1} << 40);
    trail_->writeMessage(1, "late");
    advance(kMillisecond - 1);
    trail_->writeMessage(2, "");
    EXPECT_EQ(entries(),
              "  0     0 Discovery\n"
              " 12    15 Launch-skip\n"
              "  11099511 late\n"
              "  2     0 \n");
}

TEST_F(LogTrailFile, PrintableDataIsQuotedTextAndOtherBytesAreHex) {
    advance(15 * kMillisecond);
    trail_->writeText(1, "writeCommandString", "FA;FB;FT;MD;MD$;", true);
    trail_->writeBytes(1, "Check", {'F', 'A', ';', '\r'});
    trail_->writeBytes(1, "Check", {'\x7f', '\x80', '\xff', ' '});
    trail_->writeText(2, "skipped", "FA00014074000;", true);
    trail_->writeDetails(2, "RigBase::Set", [] { return std::string("Xmit=1 Rcv=2 Mode=3 Split=0"); });
    trail_->writeData(0, "Discovery Response 127.0.0.1", "k4:K4 \"Main\":info:1", 19, true);
    EXPECT_EQ(entries(),
              "  1    15 writeCommandString \"FA;FB;FT;MD;MD$;\"\n"
              "  1     0 Check 46 41 3b 0d\n"
              "  1     0 Check 7f 80 ff 20\n"
              "  2     0 skipped \"FA00014074000;\"\n"
              "  2     0 RigBase::Set Xmit=1 Rcv=2 Mode=3 Split=0\n"
              "  0     0 Discovery Response 127.0.0.1 \"k4:K4 \"Main\":info:1\"\n");
}

TEST_F(LogTrailFile, EmptyDataIsTheMessageForm) {
    trail_->writeText(1, "writeCommandString", "", true);
    trail_->writeBytes(1, "Check", {});
    trail_->writeDetails(1, "RigBase::TuneFrequency", [] { return std::string(); });
    EXPECT_EQ(entries(),
              "  1     0 writeCommandString\n"
              "  1     0 Check\n"
              "  1     0 RigBase::TuneFrequency\n");
}

// "  1     0 skipped" is 17 characters; with the space the first line holds
// 62 data characters, the following ones 80, each line in its own quotes.
TEST_F(LogTrailFile, LongQuotedTextWrapsAtColumnEighty) {
    trail_->writeText(1, "skipped", repeat('a', 62) + repeat('b', 80) + "ccccc", true);
    EXPECT_EQ(entries(), "  1     0 skipped \"" + repeat('a', 62) + "\"\n\"" + repeat('b', 80) + "\"\n\"ccccc\"\n");
}

TEST_F(LogTrailFile, DataEndingExactlyAtColumnEightyAddsNoEmptyLine) {
    trail_->writeText(1, "skipped", repeat('a', 62), true);
    trail_->writeText(1, "skipped", repeat('a', 62) + repeat('b', 80), false);
    trail_->writeMessage(1, "next");
    EXPECT_EQ(entries(), "  1     0 skipped \"" + repeat('a', 62) + "\"\n" +
                             "  1     0 skipped " + repeat('a', 62) + "\n" + repeat('b', 80) + "\n" +
                             "  1     0 next\n");
}

// "  1     0 Check" is 15 characters: 22 groups take the first line to 81,
// then 27 groups fill each further line.
TEST_F(LogTrailFile, LongHexWrapsOnceTheLineReachesEighty) {
    const std::vector<char> first(22, '\x01');
    std::vector<char> bytes(first);
    bytes.insert(bytes.end(), 27, '\x02');
    trail_->writeBytes(1, "Check", bytes);
    bytes.push_back('\x03');
    trail_->writeBytes(1, "Check", bytes);
    std::string groups1, groups2;
    for (int i = 0; i < 22; ++i) groups1 += " 01";
    for (int i = 0; i < 27; ++i) groups2 += " 02";
    EXPECT_EQ(entries(), "  1     0 Check" + groups1 + "\n" + groups2 + "\n" +
                             "  1     0 Check" + groups1 + "\n" + groups2 + "\n 03\n");
}

TEST_F(LogTrailFile, ReopeningTruncatesThePreviousFile) {
    trail_->writeMessage(1, "from the previous load");
    trail_.reset();
    trail_ = std::make_unique<LogTrail>([this] { return now_.load(); });
    trail_->openInFolder(folder_.path());
    trail_->writeMessage(1, "fresh");
    EXPECT_EQ(entries(), "  1     0 fresh\n");
}

TEST_F(LogTrailFile, FileCanBeReadWhileOpen) {
    const auto contents = folder_.read("k4logio.log");
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->rfind(kBannerLine, 0), 0u);
}

TEST_F(LogTrailFile, FolderWithTrailingSeparatorNamesTheSameFile) {
    trail_.reset();
    trail_ = std::make_unique<LogTrail>([this] { return now_.load(); });
    trail_->openInFolder(folder_.path() + platform::kPathSeparator);
    trail_->writeMessage(3, "same file");
    EXPECT_EQ(entries(), "  3     0 same file\n");
}

// Each writer's entries are whole lines of their own, in the writer's order.
TEST_F(LogTrailFile, ConcurrentWritersNeverInterleave) {
    constexpr int kEntries = 2000;
    const auto writer = [this](int id, char fill) {
        for (int i = 0; i < kEntries; ++i) {
            advance(kMillisecond);
            if (i % 2) {
                trail_->writeText(id, "entry" + std::to_string(i), repeat(fill, 100), true);
            } else {
                trail_->writeData(id, "entry" + std::to_string(i), "\x01\x02", 2, true);
            }
        }
    };
    std::thread first(writer, 1, 'x');
    std::thread second(writer, 2, 'y');
    first.join();
    second.join();

    const std::string text = entries();
    const std::regex entry(R"re(  ([12]) +-?\d+ entry(\d+)( 01 02| "([xy]+)"\n"([xy]+)"))re");
    int nextIndex[3] = {0, 0, 0};
    size_t lines = 0;
    std::smatch match;
    std::string::const_iterator at = text.begin();
    while (std::regex_search(at, text.end(), match, entry, std::regex_constants::match_continuous)) {
        const int id = std::stoi(match[1]);
        EXPECT_EQ(std::stoi(match[2]), nextIndex[id]++);
        if (match[4].matched) {
            EXPECT_EQ(match[4].str() + match[5].str(), repeat(id == 1 ? 'x' : 'y', 100));
        }
        at = match[0].second;
        ASSERT_NE(at, text.end());
        EXPECT_EQ(*at++, '\n');
        ++lines;
    }
    EXPECT_EQ(at, text.end());
    EXPECT_EQ(lines, 2u * kEntries);
}

class LogTrailOff : public ::testing::Test {
protected:
    TestFolder folder_;
};

TEST_F(LogTrailOff, EmptyFolderWritesNothingAndNeverCallsTheProducer) {
    LogTrail trail([] { return int64_t{0}; });
    trail.openInFolder("");
    EXPECT_FALSE(trail.isOpen());
    int produced = 0;
    trail.writeMessage(1, "m");
    trail.writeText(1, "m", "text", true);
    trail.writeBytes(1, "m", {'a'});
    trail.writeData(1, "m", "a", 1, true);
    trail.writeDetails(1, "m", [&] {
        ++produced;
        return std::string("details");
    });
    EXPECT_EQ(produced, 0);
}

TEST_F(LogTrailOff, FolderThatCannotHoldTheFileLeavesLoggingOff) {
    LogTrail missing([] { return int64_t{0}; });
    missing.openInFolder(folder_.file("no-such-folder"));
    EXPECT_FALSE(missing.isOpen());
    missing.writeMessage(1, "m");

    LogTrail tooLong([] { return int64_t{0}; });
    tooLong.openInFolder(folder_.path() + repeat('x', 2048));
    EXPECT_FALSE(tooLong.isOpen());
}

}  // namespace
