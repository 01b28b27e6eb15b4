#include "diag/log.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "diag/user_folder.h"
#include "platform/win32/module_control.h"
#include "support/engine_fixture.h"

using velmora::testing::FileExists;
using velmora::testing::MakeTempDirectory;
using velmora::testing::ReadFile;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = MakeTempDirectory() + "/";
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
        logEnabled = 0;
    }
    void TearDown() override {
        logEnabled = 0;
        exeDirectory[0] = '\0';
    }
    std::string LogText() { return ReadFile(directory + "Log.TXT"); }
    std::string directory;
};

TEST_F(LogTest, SwitchedOffWritesNothing) {
    WriteLog("abc");
    WriteLogFormat("QX3:\t\t%d\tobject count", 3);
    EXPECT_FALSE(FileExists(directory + "Log.TXT"));
}

TEST_F(LogTest, OnlyTheValueOneSwitchesItOn) {
    logEnabled = 2;
    WriteLog("abc");
    EXPECT_FALSE(FileExists(directory + "Log.TXT"));
}

TEST_F(LogTest, LinesEndInCrLfAndAppend) {
    logEnabled = 1;
    WriteLog("abc");
    WriteLog("");
    WriteLogFormat("QX3:\t\t%d\tobject count", 12);
    EXPECT_EQ(LogText(), std::string("abc\r\n\r\nQX3:\t\t12\tobject count\r\n"));
    EXPECT_STREQ(logLine, "QX3:\t\t12\tobject count");
}

TEST_F(LogTest, AppendsToWhatIsAlreadyThere) {
    { std::ofstream(directory + "Log.TXT", std::ios::binary) << "old\r\n"; }
    logEnabled = 1;
    WriteLog("new");
    EXPECT_EQ(LogText(), "old\r\nnew\r\n");
}

TEST_F(LogTest, OverlongMessageIsCutToTheBufferNotOverflowed) {
    logEnabled = 1;
    std::string longName(5000, 'x');
    WriteLogFormat("ERROR:\t\t%s\tfile not found in datafile", longName.c_str());
    EXPECT_EQ(std::strlen(logLine), kLogLineSize - 1);
    EXPECT_EQ(LogText().size(), kLogLineSize - 1 + 2);
}

TEST_F(LogTest, UnwritableDirectoryDropsTheLine) {
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s", "/nonexistent-velmora-dir/");
    logEnabled = 1;
    WriteLog("lost");  // must neither crash nor write elsewhere
    EXPECT_FALSE(FileExists("/nonexistent-velmora-dir/Log.TXT"));
}

TEST_F(LogTest, PathTooLongForItsBufferIsNotCutIntoAnotherName) {
    std::string deep = directory + std::string(500, 'd') + "/";
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s", deep.c_str());
    logEnabled = 1;
    WriteLog("lost");
    // The joined path does not fit 512 bytes; nothing may be written under a cut name.
    EXPECT_TRUE(std::filesystem::is_empty(directory));
}

TEST(FindExeDirectoryTest, IsTheProgramsDirectoryWithItsSeparator) {
    FindExeDirectory();
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    std::string expected(self);
    expected = expected.substr(0, expected.rfind('/') + 1);
    EXPECT_EQ(std::string(exeDirectory), expected);
    exeDirectory[0] = '\0';
}

TEST(StartLogTest, EmptiesBothFilesBesideTheProgramAndSetsTheSwitch) {
    FindExeDirectory();
    std::string dir = exeDirectory;
    { std::ofstream(dir + "Log.TXT", std::ios::binary) << "stale\r\n"; }
    { std::ofstream(dir + "Errors.TXT", std::ios::binary) << "stale\r\n"; }
    exeDirectory[0] = '\0';

    StartLog(1);
    EXPECT_EQ(logEnabled, 1);
    EXPECT_EQ(ReadFile(dir + "Log.TXT"), "");
    EXPECT_EQ(ReadFile(dir + "Errors.TXT"), "");
    WriteLog("line");
    EXPECT_EQ(ReadFile(dir + "Log.TXT"), "line\r\n");

    StartLog(0);  // switching off empties them too
    EXPECT_EQ(logEnabled, 0);
    EXPECT_EQ(ReadFile(dir + "Log.TXT"), "");
    WriteLog("not written");
    EXPECT_EQ(ReadFile(dir + "Log.TXT"), "");
    exeDirectory[0] = '\0';
}

// A program whose folder cannot be written (installed under /usr) logs into
// the user's own folder, says so once, and the lines are those it would
// have written beside itself.
class UserLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = MakeTempDirectory();
        // A folder under a plain file cannot be written, not even by root.
        std::ofstream(home + "/file") << "x";
        velmora::platform::UseModuleFileName(home + "/file/bin/velmora");
        velmora::platform::UseUserFolders(home + "/config", home + "/state");
    }
    void TearDown() override {
        velmora::platform::UseModuleFileName("");
        velmora::platform::UseUserFolders("", "");
        logEnabled = 0;
        exeDirectory[0] = userLogDirectory[0] = '\0';
    }
    std::string home;
};

TEST_F(UserLogTest, AnUnwritableProgramFolderSendsTheLogToTheUsersFolder) {
    ::testing::internal::CaptureStderr();
    StartLog(1);
    WriteLog("QXP:\t\t\t\tline");
    StartLog(1);  // started again: said only once
    WriteLog("again");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "velmora: the log is in " + home +
                        "/state/velmora/Log.TXT, since the program's folder cannot be written\n");
    EXPECT_EQ(std::string(userLogDirectory), home + "/state/velmora/");
    EXPECT_EQ(ReadFile(home + "/state/velmora/Log.TXT"), "again\r\n");
    EXPECT_TRUE(FileExists(home + "/state/velmora/Errors.TXT"));
    EXPECT_FALSE(FileExists(home + "/config/velmora"));  // the settings' folder is not made for the log
}

TEST_F(UserLogTest, ALogThatCannotBeWrittenAnywhereIsSaidOnceAndLeftOut) {
    velmora::platform::UseUserFolders("", home + "/file/state");
    ::testing::internal::CaptureStderr();
    StartLog(1);
    StartLog(1);
    WriteLog("lost");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "velmora: the log cannot be written beside the program (" + home +
                        "/file/bin/) nor in the user's folder; the show plays without it\n");
    EXPECT_EQ(logEnabled, 1);
    EXPECT_STREQ(userLogDirectory, "");
}

TEST_F(UserLogTest, AWritableProgramFolderKeepsTheLogBesideIt) {
    velmora::platform::UseModuleFileName(home + "/velmora");
    ::testing::internal::CaptureStderr();
    StartLog(1);
    WriteLog("here");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ReadFile(home + "/Log.TXT"), "here\r\n");
    EXPECT_FALSE(FileExists(home + "/state"));
    EXPECT_TRUE(ProgramFolderWritable());
    velmora::platform::UseModuleFileName(home + "/file/bin/velmora");
    FindExeDirectory();
    EXPECT_FALSE(ProgramFolderWritable());
}

}  // namespace
