// The real program, started headless from a directory of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "scene_writer/scene_writer.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
        // A copy of the program, since the log is written beside it.
        program = directory + "/velmora";
        std::filesystem::copy_file(VELMORA_PROGRAM, program);
    }
    ProgramResult Run(const std::map<std::string, std::string>& variables,
                      const std::vector<std::string>& arguments = {}) {
        std::map<std::string, std::string> environment = {
            {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""},
            {"VELMORA_LOG", ""}, {"VELMORA_FPS", ""}};
        for (const auto& [name, value] : variables) environment[name] = value;
        return RunProgram(program, arguments, directory, environment, 5.0);
    }
    std::string directory;
    std::string program;
};

TEST_F(ProgramTest, EmptyShowPlaysOneFrameAndExits) {
    ProgramResult result = Run({{"VELMORA_LOG", "1"}, {"VELMORA_FPS", "30"}});
    ASSERT_TRUE(result.finished) << "still running after 5 s";
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    // No archive beside it: the lookup goes to the disk after saying so.
    // One frame is presented, so the frame clock stands at 33 ms when the
    // one-second pause begins.
    EXPECT_EQ(ReadFile(directory + "/Log.TXT"),
              "ERROR:\t\tMORVAST.QXD\tdata file not found\r\n"
              "\r\n"
              "ERROR:\t\tMORVAST.QXP\tfile not found in datafile\r\n"
              "\r\n"
              "Time:\t\t\t\tDemoExit\r\n"
              "Minimum of texture memory malloced: 0\r\n"
              "Minimum of animatie memory malloced: 0\r\n"
              "Minimum of general memory malloced: 0\r\n"
              "Minimum of file memory malloced: 0\r\n"
              "Minimum of total memory malloced: 0\r\n"
              "Texture malloced counted: 0\r\n"
              "\r\n"
              "FPS:\t\t0.968054\r\n"
              "Time(sec):\t1.033000\r\n"
              "\r\n"
              "Driver:\t\t\tDirect3D T&L HAL\r\n"
              "Width x Height x BPP:\t640x480x32\r\n"
              "\r\n");
    EXPECT_TRUE(FileExists(directory + "/Errors.TXT"));
    EXPECT_EQ(ReadFile(directory + "/Errors.TXT"), "");
    // The wrong folder is said in one line.
    std::string said = result.standardError;
    EXPECT_NE(said.find("velmora: no show to play: neither MORVAST.QXD nor MORVAST.QXP is in the "
                        "current folder\n"),
              std::string::npos)
        << said;
    // No display: the fallback is announced once.
    size_t first = said.find("offscreen");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("offscreen", first + 1), std::string::npos) << said;
}

TEST_F(ProgramTest, AShowWithItsScriptSaysNothingAboutAMissingShow) {
    std::ofstream(directory + "/MORVAST.QXP", std::ios::binary) << "[Engine][Hold] 0 10\r\n";
    ProgramResult result = Run({{"VELMORA_FPS", "30"}});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError.find("no show to play"), std::string::npos) << result.standardError;
}

TEST_F(ProgramTest, AHostileShowStillEndsByItself) {
    // A trail of two billion frames, a frozen frame rate and a hold past the
    // clock's range: each would keep the show from ever ending.
    using namespace velmora::tools;
    SceneDescription room;
    room.frameCount = 10;
    room.ambient.assign(10, 0x202020);
    room.drawStyles.push_back(WriterDrawStyle{});
    room.objects.push_back(CubeObject("Box", 2.0f, 0));
    room.cameras.push_back({"Camera01", std::vector<float>(10, 0.8f),
                            std::vector<D3DMATRIX>(10, TranslationMatrix(0, 0, 10))});
    std::string error;
    ASSERT_TRUE(WriteSceneFile(directory + "/room.QX3", room, &error)) << error;
    std::ofstream(directory + "/MORVAST.QXP", std::ios::binary)
        << "[QX3][00] 1\r\n"
           "[QX3][01][Filename] room.QX3\r\n"
           "[QX3][01][Load]\r\n"
           "[QX3][01][Camera] 0 10 Camera01 0 0 100 0 FALSE\r\n"
           "[QX3][01][Blur] Camera01 2000000000\r\n"
           "[QX3][01][FPS] 0\r\n"
           "[QX3][01][Play] 0 FALSE\r\n"
           "[Engine][Hold] 0.5 3000000000\r\n"
           "[QX3][01][Play] 1 FALSE\r\n";
    ProgramResult result = Run({{"VELMORA_LOG", "1"}, {"VELMORA_FPS", "30"}});
    ASSERT_TRUE(result.finished) << "still running after 5 s";
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_NE(ReadFile(directory + "/Log.TXT").find("Time:\t\t\t\tDemoExit\r\n"), std::string::npos);
}

TEST_F(ProgramTest, WithoutTheLogSwitchNoLogIsWritten) {
    ProgramResult result = Run({{"VELMORA_FPS", "30"}});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_FALSE(FileExists(directory + "/Log.TXT"));
}

TEST_F(ProgramTest, BadFrameRateStopsBeforeAnyWindow) {
    for (const char* bad : {"0", "-30", "fast"}) {
        ProgramResult result = Run({{"VELMORA_LOG", "1"}, {"VELMORA_FPS", bad}});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitStatus, 2) << bad;
        EXPECT_NE(result.standardError.find("VELMORA_FPS"), std::string::npos);
        EXPECT_EQ(result.standardError.find("offscreen"), std::string::npos);
        EXPECT_FALSE(FileExists(directory + "/Log.TXT"));
    }
}

// Named on the command line, a folder's show plays as if the program had
// been started there; "first_device" beside it still picks the first device.
TEST_F(ProgramTest, AShowFolderOnTheCommandLinePlaysThatShowWithTheDeviceRule) {
    const std::string show = MakeTempDirectory();
    std::ofstream(show + "/MORVAST.QXP", std::ios::binary) << "[Engine][Hold] 0 10\r\n";
    auto driverLine = [this] {
        std::string log = ReadFile(directory + "/Log.TXT");
        size_t at = log.find("Driver:\t\t\t");
        return at == std::string::npos ? std::string() : log.substr(at, log.find("\r\n", at) - at);
    };
    ProgramResult result = Run({{"VELMORA_LOG", "1"}, {"VELMORA_FPS", "30"}}, {show});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError.find("no show to play"), std::string::npos) << result.standardError;
    EXPECT_EQ(driverLine(), "Driver:\t\t\tDirect3D T&L HAL");  // the last device found
    EXPECT_FALSE(FileExists(show + "/Log.TXT"));  // the log stays beside the program

    result = Run({{"VELMORA_LOG", "1"}, {"VELMORA_FPS", "30"}}, {"first_device", show});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(driverLine(), "Driver:\t\t\tDirect3D HAL");
    EXPECT_EQ(result.standardError.find("no show to play"), std::string::npos) << result.standardError;

    // A folder without a show is named in the one line.
    const std::string empty = MakeTempDirectory();
    result = Run({{"VELMORA_FPS", "30"}}, {empty});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.standardError.find("velmora: no show to play: neither MORVAST.QXD nor MORVAST.QXP is in " +
                                        empty + "\n"),
              std::string::npos)
        << result.standardError;
}

TEST_F(ProgramTest, AnUnknownOptionIsOneLineAndStatusTwoBeforeAnythingRuns) {
    ProgramResult result = Run({{"VELMORA_LOG", "1"}}, {"--fullscreen"});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardError,
              "velmora: unknown option --fullscreen; usage: velmora [first_device] [SHOWDIR]\n");
    EXPECT_FALSE(FileExists(directory + "/Log.TXT"));
}

}  // namespace
