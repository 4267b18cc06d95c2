// The Linux build's private-profile functions: where a bare file name lives
// and how its case is matched.
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/TestFolder.h"

namespace {

class LinuxProfile : public ::testing::Test {
protected:
    void SetUp() override { setenv("QBOX_INI_DIR", folder_.path().c_str(), 1); }
    void TearDown() override { unsetenv("QBOX_INI_DIR"); }

    static std::string read(const char* file, const char* key) {
        char buffer[64];
        GetPrivateProfileStringA("RIGS", key, "none", buffer, sizeof buffer, file);
        return buffer;
    }

    TestFolder folder_;
};

TEST_F(LinuxProfile, BareNameLivesInTheConfiguredFolder) {
    EXPECT_TRUE(WritePrivateProfileStringA("RIGS", "K4Slot1", "radio", "quillbox.ini"));
    EXPECT_EQ(folder_.read("quillbox.ini"), "[RIGS]\r\nK4Slot1=radio\r\n");
    EXPECT_EQ(read("quillbox.ini", "K4Slot1"), "radio");
}

TEST_F(LinuxProfile, FileNameMatchesAnExistingFileInAnyCase) {
    folder_.put("quillbox.ini", "[RIGS]\r\nK4onSerialEnable=7\r\n");
    EXPECT_EQ(GetPrivateProfileIntA("RIGS", "K4onSerialEnable", 0, "QUILLBOX.INI"), 7u);
    EXPECT_TRUE(WritePrivateProfileStringA("RIGS", "LogFileFolder", "/tmp", "QUILLBOX.INI"));
    EXPECT_EQ(folder_.read("quillbox.ini"), "[RIGS]\r\nK4onSerialEnable=7\r\nLogFileFolder=/tmp\r\n");
    EXPECT_FALSE(folder_.read("QUILLBOX.INI"));
}

TEST_F(LinuxProfile, NameWithAFolderIsUsedAsGiven) {
    const std::string path = folder_.file("elsewhere.ini");
    EXPECT_TRUE(WritePrivateProfileStringA("RIGS", "k", "v", path.c_str()));
    EXPECT_EQ(read(path.c_str(), "k"), "v");
}

TEST_F(LinuxProfile, UnsetFolderMeansTheCurrentOne) {
    unsetenv("QBOX_INI_DIR");
    const std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(folder_.path());
    EXPECT_TRUE(WritePrivateProfileStringA("RIGS", "k", "here", "quillbox.ini"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(folder_.read("quillbox.ini"), "[RIGS]\r\nk=here\r\n");
}

TEST_F(LinuxProfile, MissingFolderGivesDefaultsAndFailedWrites) {
    setenv("QBOX_INI_DIR", folder_.file("absent").c_str(), 1);
    EXPECT_EQ(read("quillbox.ini", "k"), "none");
    EXPECT_EQ(GetPrivateProfileIntA("RIGS", "k", 9200, "quillbox.ini"), 9200u);
    EXPECT_FALSE(WritePrivateProfileStringA("RIGS", "k", "v", "quillbox.ini"));
}

}  // namespace
