// What every tool shares: the numbers read from a command line, and the
// staging folder that keeps half-written outputs away from their names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "common/numbers.h"
#include "common/staging_folder.h"
#include "support/temp_files.h"

using namespace velmora::tools;
namespace fs = std::filesystem;

namespace {

TEST(ToolNumbersTest, WholeNumbersAreDigitsOnlyAndKeepTheirSizeWhenHuge) {
    int value = -1;
    EXPECT_TRUE(ReadNumber("0", 0, 51, value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ReadNumber("0051", 0, 51, value));
    EXPECT_EQ(value, 51);
    for (const char* bad : {"", "52", "-1", "+3", " 3", "3 ", "3x", "1e2", "0x10", "99999999999999999999999"})
        EXPECT_FALSE(ReadNumber(bad, 0, 51, value)) << bad;
    EXPECT_FALSE(ReadNumber(nullptr, 0, 51, value));

    int64_t huge = 0;
    ASSERT_TRUE(ReadWholeNumber("4000000000", huge));
    EXPECT_EQ(huge, 4000000000LL);
    ASSERT_TRUE(ReadWholeNumber("123456789012345678901234567890", huge));
    EXPECT_EQ(huge, 1000000000000000000LL) << "kept at 10^18 so that a range can still be told too long";
}

TEST(ToolNumbersTest, DecimalsTakeOnePointAndNoSignOrExponent) {
    double value = 0;
    EXPECT_TRUE(ReadDecimal("29.97", 1, 1000, value));
    EXPECT_DOUBLE_EQ(value, 29.97);
    EXPECT_TRUE(ReadDecimal(".5", 0, 1, value));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_TRUE(ReadDecimal("6.", 0, 10, value));
    EXPECT_DOUBLE_EQ(value, 6.0);
    for (const char* bad : {"", ".", "1.2.3", "-1", "+1", "1e3", "inf", "nan", " 1", "1,5", "2000"})
        EXPECT_FALSE(ReadDecimal(bad, 0, 1000, value)) << bad;
}

TEST(ToolNumbersTest, SizesAreTwoWholeNumbersAroundAnX) {
    int width = 0, height = 0;
    ASSERT_TRUE(ReadSize("1280x720", 8192, width, height));
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    for (const char* bad : {"1280", "x720", "1280x", "0x720", "1280x0", "9000x100", "12 80x720", "1280X720"})
        EXPECT_FALSE(ReadSize(bad, 8192, width, height)) << bad;
}

class StagingFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = velmora::testing::MakeTempDirectory();
        ASSERT_FALSE(parent.empty());
    }
    void TearDown() override { fs::remove_all(parent); }
    size_t EntryCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(parent), {})); }
    std::string parent;
};

TEST_F(StagingFolderTest, WhatIsNotPublishedGoesWithTheFolder) {
    {
        StagingFolder staging;
        ASSERT_TRUE(staging.Make(parent, ".tool"));
        EXPECT_EQ(fs::path(staging.path()).filename().string().rfind(".tool-", 0), 0u) << staging.path();
        std::ofstream(staging.path() + "/half.bin") << "half";
        std::ofstream(staging.path() + "/whole.bin") << "whole";
        ASSERT_TRUE(staging.Publish("whole.bin", parent + "/OUT.bin"));
    }
    EXPECT_TRUE(fs::is_regular_file(parent + "/OUT.bin"));
    EXPECT_EQ(EntryCount(), 1u) << "the hidden folder and the unpublished file are gone";
}

TEST_F(StagingFolderTest, TheWholeFolderBecomesTheOutputWithAFolderPermissions) {
    StagingFolder staging;
    ASSERT_TRUE(staging.Make(parent, ".frames"));
    std::ofstream(staging.path() + "/frame_000000.png") << "png";
    const mode_t mask = umask(022);
    ASSERT_TRUE(staging.PublishWhole(parent + "/frames"));
    umask(mask);
    EXPECT_TRUE(staging.path().empty()) << "a published folder is no longer removed";
    EXPECT_TRUE(fs::is_regular_file(parent + "/frames/frame_000000.png"));
    struct stat info {};
    ASSERT_EQ(stat((parent + "/frames").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(StagingFolderTest, FailuresSayWhyThroughErrno) {
    StagingFolder staging;
    errno = 0;
    EXPECT_FALSE(staging.Make(parent + "/missing", ".tool"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(staging.Publish("anything", parent + "/OUT")) << "nothing made, nothing to publish";
    ASSERT_TRUE(staging.Make(parent, ".tool"));
    errno = 0;
    EXPECT_FALSE(staging.Publish("absent.bin", parent + "/OUT"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(fs::exists(parent + "/OUT"));
}

}  // namespace
