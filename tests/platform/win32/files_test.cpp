// The file and folder calls of the stand-in, and the per-user folders it
// reports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/module_control.h"
#include "platform/win32/windows.h"
#include "support/temp_files.h"

using velmora::platform::UseUserFolders;

namespace {

class UserFoldersTest : public ::testing::Test {
protected:
    void SetUp() override { directory = velmora::testing::MakeTempDirectory(); }
    void TearDown() override { UseUserFolders("", ""); }
    std::string directory;
};

TEST_F(UserFoldersTest, EachKindIsItsOwnFolderMadeOnlyWhenAskedFor) {
    UseUserFolders(directory + "/config", directory + "/deep/local/state");
    char path[MAX_PATH] = "junk";
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    EXPECT_EQ(std::string(path), directory + "/config");
    EXPECT_FALSE(std::filesystem::exists(directory + "/config"));

    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path),
              S_OK);
    EXPECT_EQ(std::string(path), directory + "/deep/local/state");
    struct stat status{};
    ASSERT_EQ(stat(path, &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0700u);  // the user's own
    EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0005 /* CSIDL_PERSONAL */, nullptr, SHGFP_TYPE_CURRENT, path), E_FAIL);
}

TEST_F(UserFoldersTest, NoFolderOrOneThatCannotBeMadeFails) {
    char path[MAX_PATH] = "junk";
    UseUserFolders("", "");
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), E_FAIL);
    EXPECT_STREQ(path, "");
    // Under a plain file, even root cannot make a folder.
    std::ofstream(directory + "/file") << "x";
    UseUserFolders(directory + "/file/config", "");
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path),
              E_FAIL);
    // A path the caller's MAX_PATH buffer cannot hold.
    UseUserFolders(directory + "/" + std::string(MAX_PATH, 'x'), "");
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), E_FAIL);
}

TEST_F(UserFoldersTest, AttributesFoldersAndTheCurrentFolder) {
    std::ofstream(directory + "/file") << "x";
    EXPECT_EQ(GetFileAttributesA(directory.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA((directory + "/file").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesA((directory + "/missing").c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_TRUE(CreateDirectoryA((directory + "/made").c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryA((directory + "/made").c_str(), nullptr));  // there already
    EXPECT_FALSE(CreateDirectoryA((directory + "/file").c_str(), nullptr));  // a file of that name
    EXPECT_FALSE(CreateDirectoryA((directory + "/missing/made").c_str(), nullptr));

    const std::filesystem::path before = std::filesystem::current_path();
    EXPECT_TRUE(SetCurrentDirectoryA((directory + "/made").c_str()));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(directory + "/made"));
    EXPECT_FALSE(SetCurrentDirectoryA((directory + "/file").c_str()));
    std::filesystem::current_path(before);
}

}  // namespace
