// The portable private-profile functions against the system's own, on the
// same files: every read must give the same text, count and integer, and
// every write the same result and the same file bytes. Windows build only.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/TestFolder.h"
#include "platform/portable/Profile.h"

namespace profile = platform::profile;

namespace {

struct FileCase {
    const char* name;
    std::string bytes;
};

const std::vector<FileCase> kFiles = {
    {"plain", "[RIGS]\r\nELECRAFT_K4_PORTNUMBER=9100\r\nK4Slot1=k4-one\r\nK4onSerialEnable=1\r\n"},
    {"mixedCase", "[rIgS]\r\nElecraft_K4_PortNumber=9101\r\nk4SLOT2=Two\r\n[Other]\r\nKey=x\r\n"},
    {"blanks", "  [ RIGS ]  \r\n  key one  =  value with blanks  \r\n\tkey2\t=\tv2\t\r\nkey3 =\x0b x \x0c\r\n"
               " \x1a k4 \x1a= \x1a y\r\n"},
    {"quotes", "[Q]\r\nd=\"double\"\r\ns='single'\r\nm=\"mixed'\r\no=\"\r\ne=\"\"\r\ni='\"x\"'\r\n"
               "p=  \"  padded  \"  \r\nh=\"half\r\nt=tail\"\r\nn=''x'\r\n"},
    {"long", "[L]\r\nv=" + std::string(300, 'a') + "b\r\nq=\"" + std::string(140, 'c') + "\"\r\n" +
                 "w=" + std::string(63, 'd') + "\r\nx=" + std::string(64, 'e') + "\r\n"},
    {"numbers", "[N]\r\na=42\r\nb=  -12x\r\nc=0x10\r\nd=99999999999\r\ne=abc\r\nf=\r\ng=+7\r\nh='  5'\r\n"
                "i=-0\r\nj=4294967295\r\nk=4294967296\r\nl=0b101\r\nm=0o17\r\nn=0X10\r\no=1e3\r\n"
                "p=12 34\r\nq=\"7\"\r\nr=-2147483649\r\ns=0xffffffffff\r\nt=123456789012345678901234567890123\r\n"
                "u=\t9\r\nv=0x\r\nw=- 5\r\nx=0b\r\ny=0b2\r\nz='x'\r\naa=''\r\nab=a1\r\nac=2147483648\r\n"
                "ad=0x7g\r\nae=70000\r\naf=--1\r\nag=+-1\r\nah=0xFFFF\r\nai=\x1a 3\r\naj=00012\r\n"},
    {"duplicates", "[D]\r\nk=first\r\nK=second\r\n[d]\r\nk=third\r\nonly=later\r\n[ D ]\r\nk=fourth\r\n"},
    {"empties", "[E]\r\nempty=\r\nblank=   \r\nnoequals\r\n=unnamed\r\n=second unnamed\r\n  =  \r\n"
                "[]\r\nx=in unnamed section\r\n"},
    {"structure", "top=before sections\r\n[noclose\r\nnc=2\r\n[S] trailing text\r\nx=a=b\r\n;c=3\r\n"
                  "[S2]]\r\nf=5\r\n[ [inner] ]\r\ng=6\r\n"},
    {"lineEnds", "[A]\nlf=1\n\n\n[B]\r\rcr=2\rcrlf=3\r\n\r\n   \r\nlast=4"},
    {"bom", "\xEF\xBB\xBF[RIGS]\r\nk=marked\r\n"},
    {"empty", ""},
    {"onlyBlanks", "\r\n   \r\n\t\r\n"},
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n\v\f\x1a");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n\v\f\x1a") - first + 1);
}

std::vector<std::string> fileLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

void addVariants(std::set<std::string>& names, const std::string& name) {
    names.insert(name);
    names.insert(lower(name));
    names.insert(upper(name));
    names.insert(" " + name + "\t");
}

// Names to look up in a file: each section and key name it holds, as written
// and in other cases and with blanks, and a few that it never holds.
struct Candidates {
    std::set<std::string> sections{"", "missing"};
    std::set<std::string> keys{"", "missing"};
};

Candidates candidatesOf(const std::string& bytes) {
    Candidates candidates;
    for (const std::string& line : fileLines(bytes)) {
        const std::string content = trim(line);
        if (content.empty()) continue;
        if (content.front() == '[') {
            addVariants(candidates.sections, content.substr(1, content.rfind(']') - 1));
            addVariants(candidates.sections, content);
        }
        addVariants(candidates.keys, content.substr(0, content.find('=')));
    }
    return candidates;
}

struct Outcome {
    uint32_t count;
    std::string text;
    bool operator==(const Outcome& other) const { return count == other.count && text == other.text; }
};

std::string describe(const Outcome& outcome) {
    return std::to_string(outcome.count) + " \"" + outcome.text + "\"";
}

constexpr uint32_t kGuard = 8;

// The text up to the terminator, and a note when a byte past the capacity
// was touched.
Outcome collect(uint32_t count, const std::vector<char>& buffer, uint32_t capacity) {
    Outcome outcome{count, capacity ? std::string(buffer.data()) : std::string()};
    for (size_t i = capacity; i < buffer.size(); ++i) {
        if (buffer[i] != '#') outcome.text += " <wrote past capacity>";
    }
    return outcome;
}

class ProfileDifferential : public ::testing::Test {
protected:
    void SetUp() override {
        for (const FileCase& file : kFiles) folder_.put(std::string(file.name) + ".ini", file.bytes);
    }

    Outcome windowsRead(const std::string& path, const char* section, const char* key, const char* fallback,
                        uint32_t capacity) const {
        std::vector<char> buffer(capacity + kGuard, '#');
        const DWORD count = GetPrivateProfileStringA(section, key, fallback, buffer.data(), capacity, path.c_str());
        return collect(count, buffer, capacity);
    }

    Outcome portableRead(const std::string& path, const char* section, const char* key, const char* fallback,
                         uint32_t capacity) const {
        std::vector<char> buffer(capacity + kGuard, '#');
        const uint32_t count = profile::getString(path, section, key, fallback, buffer.data(), capacity);
        return collect(count, buffer, capacity);
    }

    void compareRead(const std::string& path, const std::string& section, const std::string& key,
                     const char* fallback, uint32_t capacity) {
        const Outcome windows = windowsRead(path, section.c_str(), key.c_str(), fallback, capacity);
        const Outcome portable = portableRead(path, section.c_str(), key.c_str(), fallback, capacity);
        ++comparisons_;
        if (windows == portable) return;
        std::ostringstream note;
        note << path << " [" << section << "] " << key << " default=" << (fallback ? fallback : "(null)")
             << " capacity=" << capacity << ": windows " << describe(windows) << ", portable "
             << describe(portable);
        mismatches_.push_back(note.str());
    }

    void compareInt(const std::string& path, const std::string& section, const std::string& key, int fallback) {
        const UINT windows = GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path.c_str());
        const uint32_t portable = profile::getInt(path, section.c_str(), key.c_str(), fallback);
        ++comparisons_;
        if (windows == portable) return;
        mismatches_.push_back(path + " [" + section + "] " + key + " default " + std::to_string(fallback) +
                              ": windows " + std::to_string(windows) + ", portable " + std::to_string(portable));
    }

    void expectNoMismatch() const {
        std::ostringstream report;
        for (size_t i = 0; i < mismatches_.size() && i < 30; ++i) report << mismatches_[i] << "\n";
        EXPECT_TRUE(mismatches_.empty()) << mismatches_.size() << " of " << comparisons_ << " differ:\n"
                                         << report.str();
        EXPECT_GT(comparisons_, 0u);
    }

    TestFolder folder_;
    std::vector<std::string> mismatches_;
    size_t comparisons_ = 0;
};

TEST_F(ProfileDifferential, StringsAndCountsMatchForEveryNameAndCapacity) {
    for (const FileCase& file : kFiles) {
        const std::string path = folder_.file(std::string(file.name) + ".ini");
        const Candidates candidates = candidatesOf(file.bytes);
        for (const std::string& section : candidates.sections) {
            for (const std::string& key : candidates.keys) {
                for (uint32_t capacity : {0u, 1u, 2u, 3u, 4u, 5u, 8u, 64u, 128u, 400u}) {
                    compareRead(path, section, key, "dflt", capacity);
                }
            }
        }
    }
    expectNoMismatch();
}

TEST_F(ProfileDifferential, DefaultsMatchWithAndWithoutTheFile) {
    const char* const defaults[] = {nullptr, "", "x", "  x  ", "   ", "\"quoted\"", "'a b'  ", "\"", "\"\"",
                                    "tail  \t  ", "'  '"};
    for (const char* file : {"plain.ini", "absent.ini"}) {
        const std::string path = folder_.file(file);
        for (const char* fallback : defaults) {
            for (uint32_t capacity : {1u, 2u, 3u, 4u, 8u, 128u}) {
                compareRead(path, "RIGS", "missing", fallback, capacity);
                compareRead(path, "missing", "missing", fallback, capacity);
            }
        }
    }
    expectNoMismatch();
}

TEST_F(ProfileDifferential, IntegersMatch) {
    for (const FileCase& file : kFiles) {
        const std::string path = folder_.file(std::string(file.name) + ".ini");
        const Candidates candidates = candidatesOf(file.bytes);
        for (const std::string& section : candidates.sections) {
            for (const std::string& key : candidates.keys) {
                compareInt(path, section, key, 9200);
                compareInt(path, section, key, -7);
            }
        }
    }
    compareInt(folder_.file("absent.ini"), "RIGS", "K4onSerialEnable", 0);
    expectNoMismatch();
}

struct Write {
    const char* section;
    const char* key;
    const char* value;
};

struct WriteCase {
    const char* name;
    std::optional<std::string> start;
    std::vector<Write> writes;
};

const std::vector<WriteCase> kWrites = {
    {"newFile", std::nullopt, {{"RIGS", "K4Slot1", "radio-1"}, {"RIGS", "K4Slot2", "radio-2"}, {"Next", "k", "v"}}},
    {"emptyFile", std::string(), {{"RIGS", "k", "v"}, {"", "top", "t"}}},
    {"replace",
     "; host settings\r\n[Main]\r\nx=1\r\n\r\n[RIGS]\r\n  K4Slot1 = old \r\nOther=keep\r\n\r\n[Last]\r\ny=2",
     {{"rigs", "k4slot1", "new"}, {"RIGS", "K4SLOT1", "new"}, {"RIGS", "K4Slot3", "three"}, {"Main", "x", "1"}}},
    {"unchangedKeepsBytes", "[A]\n  k = v \n\n\n[B]\nm=1", {{"a", "K", "v"}, {"A", "k", "  v"}}},
    {"blanksInArguments", "[A]\r\nk=1\r\n",
     {{" B ", "  key  ", "  val  "}, {"b", "key", "\"q\""}, {"A", " k2 ", " 2 "}, {"A", "\tk3", "\t3\t"}}},
    {"duplicates", "[D]\r\nk=1\r\nk=2\r\n[d]\r\nk=3\r\n", {{"d", "k", "x"}, {"D", "new", "y"}}},
    {"noEquals", "[A]\r\nbare\r\n=unnamed\r\n", {{"A", "bare", "now"}, {"A", "", "u"}, {"A", "   ", "w"}}},
    {"unnamedSection", "[A]\r\nk=v\r\n", {{"", "top", "1"}, {"  ", "top2", "2"}, {"", "", "e"}}},
    {"oddNames", "[A]\r\nk=v\r\n", {{"[C]", "k", "v"}, {"A", "k3=x", "3"}, {"A", "k4", "a\r\nb=c"}, {"A", "e", ""}}},
    {"removals", "top=0\n[A]\nk=1\nj=2\n[a]\nk=3\n[B]\nk=4\n[ b ]\nz=5\n[]\ny=6\n",
     {{"", "top", nullptr},
      {"", nullptr, nullptr},
      {"a", "k", nullptr},
      {"a", "k", nullptr},
      {"a", "zz", nullptr},
      {" b ", "z", nullptr},
      {"b", nullptr, nullptr},
      {"b", nullptr, nullptr},
      {"missing", nullptr, nullptr}}},
    {"removeOnly", std::nullopt, {{"A", "k", nullptr}, {"A", nullptr, nullptr}}},
    {"noSection", "[A]\nk=1\n", {{nullptr, "k", "v"}}},
    {"lineEnds", "[A]\nk=1\r\r[B]\rm=2", {{"B", "n", "3"}}},
    {"bom", "\xEF\xBB\xBF[A]\r\nk=1\r\n", {{"A", "k", "2"}}},
};

TEST_F(ProfileDifferential, WritesGiveTheSameResultsAndFiles) {
    for (const WriteCase& test : kWrites) {
        const std::string windowsFile = std::string("w-") + test.name + "-windows.ini";
        const std::string portableFile = std::string("w-") + test.name + "-portable.ini";
        if (test.start) {
            folder_.put(windowsFile, *test.start);
            folder_.put(portableFile, *test.start);
        }
        for (size_t step = 0; step < test.writes.size(); ++step) {
            const Write& write = test.writes[step];
            const bool windows =
                WritePrivateProfileStringA(write.section, write.key, write.value, folder_.file(windowsFile).c_str());
            const bool portable = profile::writeString(folder_.file(portableFile), write.section, write.key, write.value);
            SCOPED_TRACE(std::string(test.name) + " step " + std::to_string(step));
            EXPECT_EQ(windows, portable);
            EXPECT_EQ(folder_.read(windowsFile), folder_.read(portableFile));
        }
    }
}

TEST_F(ProfileDifferential, WriteIntoAMissingFolderFailsInBoth) {
    const std::string path = folder_.file("no-such-folder\\x.ini");
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", path.c_str()));
    EXPECT_FALSE(profile::writeString(path, "A", "k", "v"));
}

}  // namespace
