// The player's arguments: which one is the show's folder, what is left for
// the "first_device" comparison, and what is refused.
#include "app/command_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

class PlayerArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override { folder = velmora::testing::MakeTempDirectory(); }
    bool Read(const std::vector<std::string>& arguments) {
        error.clear();
        return ReadPlayerArguments(arguments, read, error);
    }
    std::string folder;
    PlayerArguments read;
    std::string error;
};

TEST_F(PlayerArgumentsTest, TheFolderIsTakenOutOfTheWordsWhereverItStands) {
    ASSERT_TRUE(Read({}));
    EXPECT_EQ(read.request, PlayerArguments::Request::Play);
    EXPECT_EQ(read.showFolder, "");
    EXPECT_EQ(read.words, "");

    ASSERT_TRUE(Read({folder}));
    EXPECT_EQ(read.showFolder, folder);
    EXPECT_EQ(read.words, "");

    ASSERT_TRUE(Read({"first_device", folder}));
    EXPECT_EQ(read.showFolder, folder);
    EXPECT_EQ(read.words, "first_device");  // what the device choice compares, whole

    ASSERT_TRUE(Read({folder, "first_device"}));
    EXPECT_EQ(read.words, "first_device");

    // Unknown plain words are kept as the original kept them, folder or not.
    ASSERT_TRUE(Read({"first_device", "extra", folder, "-"}));
    EXPECT_EQ(read.showFolder, folder);
    EXPECT_EQ(read.words, "first_device extra -");
    ASSERT_TRUE(Read({folder + "/missing", ""}));
    EXPECT_EQ(read.showFolder, "");
    EXPECT_EQ(read.words, folder + "/missing ");
}

TEST_F(PlayerArgumentsTest, TheWordFirstDeviceIsNeverAFolder) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::create_directory(folder + "/first_device");
    std::filesystem::current_path(folder);
    ASSERT_TRUE(Read({"first_device"}));
    EXPECT_EQ(read.showFolder, "");
    EXPECT_EQ(read.words, "first_device");
    ASSERT_TRUE(Read({"./first_device"}));  // named as a path it is one
    EXPECT_EQ(read.showFolder, "./first_device");
    std::filesystem::current_path(before);
}

TEST_F(PlayerArgumentsTest, HelpAndVersionAreAnsweredAndOtherOptionsRefused) {
    ASSERT_TRUE(Read({"--help"}));
    EXPECT_EQ(read.request, PlayerArguments::Request::Help);
    ASSERT_TRUE(Read({folder, "--version"}));
    EXPECT_EQ(read.request, PlayerArguments::Request::Version);

    for (const char* option : {"-x", "--verbose", "--", "-first_device"}) {
        EXPECT_FALSE(Read({folder, option})) << option;
        EXPECT_NE(error.find(std::string("unknown option ") + option), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    const std::string other = velmora::testing::MakeTempDirectory();
    EXPECT_FALSE(Read({folder, other}));
    EXPECT_NE(error.find(other), std::string::npos) << error;
}

TEST(ShowFolderNameTest, NamesTheFolderGivenElseTheCurrentOne) {
    EXPECT_STREQ(ShowFolderName(), "the current folder");
    NameShowFolder("shows/one");
    EXPECT_STREQ(ShowFolderName(), "shows/one");
    NameShowFolder("");
    EXPECT_STREQ(ShowFolderName(), "the current folder");
}

}  // namespace
