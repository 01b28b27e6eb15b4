// A whole show, packed with qxpack and played by the real program on the
// virtual clock: every action at the frame the clock makes it due.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene_writer/scene_writer.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;

namespace {

// A scene of frameCount frames with one camera and one cube.
void WriteScene(const std::string& path, int frameCount) {
    using namespace velmora::tools;
    SceneDescription scene;
    scene.frameCount = frameCount;
    scene.ambient.assign(frameCount, 0x303030);
    WriterDrawStyle style;
    style.textureName = "maps\\stone.bmp";
    scene.drawStyles.push_back(style);
    scene.objects.push_back(CubeObject("Box", 2.0f, 0));
    WriterCamera camera;
    camera.name = "Camera01";
    camera.fov.assign(frameCount, 0.8f);
    camera.matrices.assign(frameCount, TranslationMatrix(0.0f, 0.0f, 8.0f));
    scene.cameras.push_back(camera);
    std::string error;
    ASSERT_TRUE(WriteSceneFile(path, scene, &error)) << error;
}

const char kScript[] =
    "' Two scenes, two tracks, a hold, a looped scene that is stopped, an unload,\r\n"
    "' a preload and a release.\r\n"
    "[Engine][Local path] TRUE\r\n"
    "[Music][00] 2\r\n"
    "[Music][01][Filename] music\\tune.xm\r\n"
    "[Music][02][Filename] music\\song.mp3\r\n"
    "[QX3][00] 2\r\n"
    "[QX3][01][Filename] scenes\\one.QX3\r\n"
    "[QX3][01][Load]\r\n"
    "[QX3][01][Camera] 0 20 Camera01 0 0 100 0 FALSE\r\n"
    "[QX3][02][Filename] scenes\\two.QX3\r\n"
    "[QX3][02][Load]\r\n"
    "[QX3][02][Camera] 0 10 Camera01 0 0 100 0 FALSE\r\n"
    "[QX3][02][FPS] 50\r\n"
    "[Music][01][Play] 0\r\n"
    "[QX3][01][PreLoad] 0.1\r\n"
    "[QX3][01][Play] 0.2 FALSE\r\n"
    "[Engine][Hold] 0.3 500\r\n"
    "[QX3][02][Play] 0.4 TRUE\r\n"
    "[Music][02][Play] 0.5\r\n"
    "[QX3][02][Stop] 1.5\r\n"
    "[Music][01][Stop] 1.6\r\n"
    "[QX3][02][Unload] 1.7\r\n"
    "[QX3][01][Release] 1.8\r\n"
    "[Music][02][Stop] 1.9\r\n";

class ShowRunTest : public ::testing::Test {
protected:
    // A show folder: the program, MORVAST.QXD packed from the scenes, and the script.
    std::string MakeShow() {
        std::string show = MakeTempDirectory();
        std::string sources = MakeTempDirectory();
        WriteScene(sources + "/one.QX3", 20);
        WriteScene(sources + "/two.QX3", 10);
        ProgramResult packed =
            RunProgram(QXPACK_PROGRAM,
                       {"create", show + "/MORVAST.QXD", sources + "/one.QX3", sources + "/two.QX3"},
                       sources, {}, 60.0);
        EXPECT_EQ(packed.exitStatus, 0) << packed.standardError;
        std::ofstream(show + "/MORVAST.QXP", std::ios::binary) << kScript;
        std::filesystem::copy_file(VELMORA_PROGRAM, show + "/velmora");
        return show;
    }
    std::vector<std::string> Play(const std::string& show) {
        ProgramResult result = RunProgram(show + "/velmora", {}, show,
                                          {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
                                           {"VELMORA_LOG", "1"}, {"VELMORA_FPS", "50"}},
                                          60.0);
        EXPECT_TRUE(result.finished) << "the show did not end by itself";
        EXPECT_EQ(result.exitStatus, 0) << result.standardError;
        return velmora::testing::ReadLogLines(show + "/Log.TXT");
    }
};

std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

TEST_F(ShowRunTest, EveryActionAtTheFrameTheClockMakesItDue) {
    std::vector<std::string> log = Play(MakeShow());
    // 20 ms a frame; the hold at 300 ms sleeps 500 ms, so what fell due
    // meanwhile follows one per frame from 820 ms on.
    EXPECT_EQ(Starting(log, "CheckTime:"),
              (std::vector<std::string>{
                  "CheckTime:\t\t\t\t0.000000 current time, 2 action type",
                  "CheckTime:\t\t\t\t0.100000 current time, 8 action type",
                  "CheckTime:\t\t\t\t0.200000 current time, 1 action type",
                  "CheckTime:\t\t\t\t0.300000 current time, 4 action type",
                  "CheckTime:\t\t\t\t0.820000 current time, 7 action type",
                  "CheckTime:\t\t\t\t0.840000 current time, 2 action type",
                  "CheckTime:\t\t\t\t1.500000 current time, 6 action type",
                  "CheckTime:\t\t\t\t1.600000 current time, 3 action type",
                  "CheckTime:\t\t\t\t1.700000 current time, 5 action type",
                  "CheckTime:\t\t\t\t1.800000 current time, 9 action type",
                  "CheckTime:\t\t\t\t1.900000 current time, 3 action type",
              }));
    std::vector<std::string> stamps = Starting(log, "ActionTimeStamp:");
    EXPECT_EQ(Starting(stamps, "ActionTimeStamp:\t\t\tscene_nr: 1\ttexture preloaded: stone.bmp").size(), 1u);
    EXPECT_EQ(Starting(stamps, "ActionTimeStamp:\t\t\ttexture released: stone.bmp").size(), 1u);
    // Scene 2 (10 frames at 50 fps, started at 400 ms) loops every 200 ms until it is stopped.
    EXPECT_GE(Starting(stamps, "ActionTimeStamp:\t\t\t\tloop render scene, number: 2").size(), 4u);
    EXPECT_EQ(Starting(stamps, "ActionTimeStamp:\t\t\t\trender scene done, number: 2 frame: 10.000000, time: 1.500000"),
              (std::vector<std::string>{"ActionTimeStamp:\t\t\t\trender scene done, number: 2 frame: 10.000000, time: 1.500000"}));
    EXPECT_EQ(Starting(stamps, "ActionTimeStamp:\t\t\t\trender scene done, number: 1").size(), 1u);
    // The show ends in the frame of its last action, and once.
    std::vector<std::string> ends = Starting(log, "Time:\t\t\t\tDemoExit");
    EXPECT_EQ(ends.size(), 1u);
    EXPECT_EQ(Starting(log, "ERROR:\t\tscene_nr").size(), 0u);  // no action was refused
}

// The whole log against the stored trace of this show. The trace was read line
// by line when it was stored; a change in any subsystem's logging shows here as
// a diff. VELMORA_UPDATE_TRACE=1 stores the log the program now writes.
TEST_F(ShowRunTest, WholeLogMatchesTheStoredTrace) {
    std::string show = MakeShow();
    Play(show);
    std::string log = ReadFile(show + "/Log.TXT");
    if (const char* update = std::getenv("VELMORA_UPDATE_TRACE"); update && std::string(update) == "1")
        std::ofstream(VELMORA_SHOW_TRACE, std::ios::binary) << log;
    EXPECT_EQ(ReadLogLines(show + "/Log.TXT"), ReadLogLines(VELMORA_SHOW_TRACE));
    EXPECT_EQ(log, ReadFile(VELMORA_SHOW_TRACE));  // byte for byte, line ends included
}

TEST_F(ShowRunTest, TheSameShowLogsTheSameLines) {
    std::vector<std::string> first = Play(MakeShow());
    std::vector<std::string> second = Play(MakeShow());
    // The virtual clock makes even the closing frame rate and time lines repeat.
    ASSERT_GT(first.size(), 40u);
    EXPECT_EQ(first, second);
}

}  // namespace
