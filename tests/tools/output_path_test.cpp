// Outputs that are not files the tools may replace: the shared check, and
// every tool that writes files run onto /dev/null and onto a FIFO. Each must
// refuse in one line with exit status 2 and leave the node as it was; a tool
// writes under a temporary name and renames, which would put a regular file
// in the node's place (as root, also in /dev).
#include "common/output_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;
using velmora::tools::CheckOutputFile;
using velmora::tools::CheckOutputFolder;
namespace fs = std::filesystem;

namespace {

bool IsCharacterDevice(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

bool IsFifo(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputPathTest, FilesAndFoldersOnlyWhereTheyMayBeWritten) {
    const std::string folder = MakeTempDirectory();
    std::ofstream(folder + "/plain") << "text";
    ASSERT_EQ(mkfifo((folder + "/fifo").c_str(), 0600), 0);
    fs::create_symlink(folder + "/plain", folder + "/to-plain");
    fs::create_symlink("/dev/null", folder + "/to-null");
    std::string why;

    for (const char* name : {"/new", "/plain", "/to-plain", "/missing/new"})
        EXPECT_TRUE(CheckOutputFile(folder + name, why)) << name << ": " << why;
    EXPECT_FALSE(CheckOutputFile("/dev/null", why));
    EXPECT_EQ(why, "/dev/null is a character device; name a new or regular file to write");
    EXPECT_FALSE(CheckOutputFile(folder + "/fifo", why));
    EXPECT_EQ(why, folder + "/fifo is a FIFO; name a new or regular file to write");
    EXPECT_FALSE(CheckOutputFile(folder + "/to-null", why));  // judged by what the link leads to
    EXPECT_NE(why.find("is a character device"), std::string::npos);
    EXPECT_FALSE(CheckOutputFile(folder, why));
    EXPECT_NE(why.find("is a folder"), std::string::npos);

    for (const std::string& name : {folder, folder + "/new", std::string("/")})
        EXPECT_TRUE(CheckOutputFolder(name, why)) << name << ": " << why;
    EXPECT_FALSE(CheckOutputFolder("/dev/null", why));
    EXPECT_EQ(why, "/dev/null is a character device; name a new folder or a folder to write into");
    EXPECT_FALSE(CheckOutputFolder(folder + "/fifo", why));
    EXPECT_NE(why.find("is a FIFO"), std::string::npos);
    EXPECT_FALSE(CheckOutputFolder(folder + "/plain", why));
    EXPECT_NE(why.find("is a file"), std::string::npos);
    EXPECT_EQ(why.find('\n'), std::string::npos);
}

class ToolOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        work = MakeTempDirectory();
        fifoFolder = MakeTempDirectory();
        fifo = fifoFolder + "/out";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        std::ofstream(work + "/input.txt") << "packed";
    }
    // The tool refuses in one line naming what stands there, and leaves it.
    void ExpectRefused(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& says) {
        std::string shown = fs::path(program).filename().string();
        for (const std::string& argument : arguments) shown += " " + argument;
        ProgramResult result = RunProgram(program, arguments, work, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 120.0);
        ASSERT_TRUE(result.finished) << shown;
        EXPECT_EQ(result.exitStatus, 2) << shown << "\n" << result.standardError;
        EXPECT_NE(result.standardError.find(says), std::string::npos) << shown << "\n" << result.standardError;
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << shown << "\n" << result.standardError;
        EXPECT_TRUE(IsCharacterDevice("/dev/null")) << shown;
        EXPECT_TRUE(IsFifo(fifo)) << shown;
        EXPECT_EQ(Entries(fifoFolder), std::vector<std::string>{fs::path(fifo).filename().string()}) << shown;
        EXPECT_EQ(Entries(work), std::vector<std::string>{"input.txt"}) << shown;
    }
    std::string work, fifoFolder, fifo;
};

TEST_F(ToolOutputTest, QxpackRefusesADeviceOrFifoAsArchiveOrExtractedFile) {
    ExpectRefused(QXPACK_PROGRAM, {"create", "/dev/null", "input.txt"}, "qxpack: /dev/null is a character device");
    ExpectRefused(QXPACK_PROGRAM, {"create", "--fast", fifo, "input.txt"}, "is a FIFO");
    // An archive whose entry would land on a FIFO: no entry is written.
    const std::string archive = MakeTempDirectory() + "/show.QXD";
    ASSERT_EQ(RunProgram(QXPACK_PROGRAM, {"create", archive, "input.txt"}, work, {}, 60.0).exitStatus, 0);
    const std::string into = MakeTempDirectory();
    ASSERT_EQ(mkfifo((into + "/input.txt").c_str(), 0600), 0);
    ExpectRefused(QXPACK_PROGRAM, {"extract", archive, into}, into + "/input.txt is a FIFO");
    EXPECT_EQ(Entries(into), std::vector<std::string>{"input.txt"});
    ExpectRefused(QXPACK_PROGRAM, {"extract", archive, "/dev/null"}, "/dev/null is a character device");
}

TEST_F(ToolOutputTest, QxvisRefusesADeviceOrFifoAsVisibilityFile) {
    ExpectRefused(QXVIS_PROGRAM, {"scene.QX3", "-o", "/dev/null"}, "qxvis: /dev/null is a character device");
    ExpectRefused(QXVIS_PROGRAM, {"scene.QX3", "-o", fifo}, "qxvis: " + fifo + " is a FIFO");
}

TEST_F(ToolOutputTest, QxconvertRefusesADeviceAsFolderAndAFifoInIt) {
    ExpectRefused(QXCONVERT_PROGRAM, {QXCONVERT_MODELS "/stage.glb", "-o", "/dev/null"},
                  "qxconvert: /dev/null is a character device");
    // The scene file's name taken by a FIFO in the output folder.
    fs::rename(fifo, fifoFolder + "/stage.QX3");
    fifo = fifoFolder + "/stage.QX3";
    ProgramResult result =
        RunProgram(QXCONVERT_PROGRAM, {QXCONVERT_MODELS "/stage.glb", "-o", fifoFolder}, work, {{"DISPLAY", ""}}, 120.0);
    EXPECT_EQ(result.exitStatus, 2) << result.standardError;
    EXPECT_NE(result.standardError.find(fifo + " is a FIFO"), std::string::npos) << result.standardError;
    EXPECT_TRUE(IsFifo(fifo));
    EXPECT_EQ(Entries(fifoFolder), std::vector<std::string>{"stage.QX3"});
}

TEST_F(ToolOutputTest, CaptureRefusesADeviceOrFifoAsFilmOrFrameFolder) {
    const std::string show = MakeTempDirectory();
    ExpectRefused(VELMORA_CAPTURE_PROGRAM, {show, "/dev/null"}, "velmora-capture: /dev/null is a character device");
    ExpectRefused(VELMORA_CAPTURE_PROGRAM, {show, "/dev/null", "--frames-only"}, "/dev/null is a character device");
    ExpectRefused(VELMORA_CAPTURE_PROGRAM, {show, fifo}, fifo + " is a FIFO");
    ExpectRefused(VELMORA_CAPTURE_PROGRAM, {show, fifo, "--frames-only"}, fifo + " is a FIFO");
}

TEST_F(ToolOutputTest, ShowWritersRefuseADeviceAsFolderAndAFifoInIt) {
    ExpectRefused(QXSAMPLE_PROGRAM, {"/dev/null"}, "qxsample: /dev/null is a character device");
    ExpectRefused(QXSHOW_PROGRAM, {"/dev/null"}, "qxshow: /dev/null is a character device");
    // A name each writes, taken by a FIFO: nothing else is written beside it.
    fs::rename(fifo, fifoFolder + "/cube.bmp");
    fifo = fifoFolder + "/cube.bmp";
    ExpectRefused(QXSAMPLE_PROGRAM, {fifoFolder}, fifo + " is a FIFO");
    EXPECT_EQ(Entries(fifoFolder), std::vector<std::string>{"cube.bmp"});
    fs::rename(fifo, fifoFolder + "/MORVAST.QXP");
    fifo = fifoFolder + "/MORVAST.QXP";
    ExpectRefused(QXSHOW_PROGRAM, {fifoFolder}, fifo + " is a FIFO");
    EXPECT_EQ(Entries(fifoFolder), std::vector<std::string>{"MORVAST.QXP"});
}

}  // namespace
