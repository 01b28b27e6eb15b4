#include "show/play_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "diag/log.h"
#include "music/music_player.h"
#include "scene/scene.h"
#include "scene_writer/scene_writer.h"
#include "show/free_show.h"
#include "show/script_reader.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace {

using velmora::testing::ReadFile;

struct ActionRecord {
    int32_t time;
    int32_t type;
    float argument;
    bool operator==(const ActionRecord&) const = default;
};

class PlayScriptTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        directory = velmora::testing::MakeTempDirectory() + "/";
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
        logEnabled = 1;
        localPath = 0;
        // Scripts are opened by bare name from the current directory, as a show's are.
        char here[4096];
        previousDirectory = getcwd(here, sizeof here) ? here : "/";
        ASSERT_EQ(chdir(directory.c_str()), 0);
    }
    void TearDown() override {
        FreeShow();
        localPath = 0;
        if (chdir(previousDirectory.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previousDirectory;
        EngineTest::TearDown();
    }
    int Read(const std::string& text) {
        std::ofstream(directory + "MORVAST.QXP", std::ios::binary) << text;
        std::snprintf(name, sizeof name, "%s", "MORVAST.QXP");
        return ReadPlayScript(name, nullptr);
    }
    std::vector<ActionRecord> Actions() {
        std::vector<ActionRecord> actions;
        for (Action* a = actionList.next; a; a = a->next)
            actions.push_back({a->time, a->type, a->argument});
        return actions;
    }
    std::vector<std::string> LogLines() {
        return velmora::testing::ReadLogLines(directory + "Log.TXT");
    }
    int LogLinesStartingWith(const std::string& prefix) {
        int count = 0;
        for (const std::string& line : LogLines()) count += line.rfind(prefix, 0) == 0;
        return count;
    }
    bool Logged(const std::string& line) {
        std::vector<std::string> lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::string directory;
    std::string previousDirectory;
    char name[512];
};

TEST_F(PlayScriptTest, MissingScriptReadsNothing) {
    std::snprintf(name, sizeof name, "%s", "NONE.QXP");
    EXPECT_EQ(ReadPlayScript(name, nullptr), 0);
    EXPECT_EQ(actionList.next, nullptr);
    EXPECT_EQ(sceneCount, 0);
}

TEST_F(PlayScriptTest, CountLinesAndTimedLinesStayInStep) {
    ASSERT_EQ(Read("[Music][00] 3\r\n"
                   "[Music][02][Play] 1.5\r\n"
                   "[QX3][00] 12\r\n"
                   "[QX3][02][Play] 12.5 TRUE\r\n"
                   "[QX3][03][Play] 12.5 FALSE\r\n"
                   "[Music][01][Stop] 95.0015\r\n"
                   "[Engine][Hold] 30 2000\r\n"
                   "[QX3][12][Stop] 40\r\n"),
              1);
    EXPECT_EQ(musicTrackCount, 3);
    EXPECT_EQ(sceneCount, 12);
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{
                             {1500, 2, 1.0f},
                             {12500, 7, 1.0f},
                             {12500, 1, 2.0f},  // same time: line order kept
                             {30000, 4, 2000.0f},
                             {40000, 6, 11.0f},
                             {95001, 3, 0.0f},  // 95.0015 s truncated, not rounded
                         }));
    EXPECT_EQ(frameCounter, 0);
}

TEST_F(PlayScriptTest, TimesAreTheFloatSecondsTimesTheDoubleThousand) {
    // 0.7f is 0.69999998..., so the double product is 699.99998... and
    // truncates to 699; a float product would round to 700 first.
    ASSERT_EQ(Read("[Music][00] 1\r\n"
                   "[Music][01][Play] 0.7\r\n"
                   "[Music][01][Stop] 2.3\r\n"
                   "[Engine][Hold] 1.15 10\r\n"),
              1);
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{
                             {699, 2, 0.0f},
                             {1149, 4, 10.0f},
                             {2299, 3, 0.0f},
                         }));
}

TEST_F(PlayScriptTest, AScriptWithLineFeedsAloneReadsAsWithCrLf) {
    const std::string script =
        "' written on Linux\n"
        "[Engine][Local path] TRUE\n"
        "[Music][00] 2\n"
        "[Music][02][Play] 1.5\n"
        "[QX3][00] 3\n"
        "[QX3][03][Play] 12.5 TRUE\n"
        "[QX3][01][Stop] 40\n"
        "[Engine][Hold] 30 2000\n";
    const std::vector<ActionRecord> expected = {
        {1500, 2, 1.0f}, {12500, 7, 2.0f}, {30000, 4, 2000.0f}, {40000, 6, 0.0f}};
    ASSERT_EQ(Read(script), 1);
    EXPECT_EQ(Actions(), expected);
    EXPECT_EQ(localPath, 1);
    EXPECT_EQ(musicTrackCount, 2);
    EXPECT_EQ(sceneCount, 3);
    EXPECT_FALSE(Logged("ERROR:\t\tscene_nr: 1\tno file name before load, line skipped"));
    EXPECT_TRUE(Logged("QXP:\t\t\t\tstart chunk ID read: [Engi,\tline number: 8"));
}

TEST_F(PlayScriptTest, AScriptWithAnyCrIsReadAsWritten) {
    // One CR LF line makes it a CR LF script: its lone LF is not mended, so
    // the flag's skip over "RUE" and CR LF takes the next line's bracket and
    // that line is lost.
    ASSERT_EQ(Read("[QX3][00] 2\r\n"
                   "[QX3][01][Play] 1 TRUE\n"
                   "[QX3][02][Play] 2 FALSE\r\n"),
              1);
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{{1000, 7, 0.0f}}));
    EXPECT_TRUE(Logged("QXP:\t\t\t\tstart chunk ID read: QX3][,\tline number: 3"));
}

TEST_F(PlayScriptTest, LocalPathFlagAndItsValueInAnyCase) {
    Read("[Engine][Local path] TRUE\r\n"
         "[QX3][00] 1\r\n");
    EXPECT_EQ(localPath, 1);
    EXPECT_EQ(sceneCount, 1);
    Read("[Engine][Local path] FALSE\r\n"
         "[QX3][00] 2\r\n");
    EXPECT_EQ(localPath, 0);
    EXPECT_EQ(sceneCount, 2);
    Read("[Engine][Local path] true\r\n"
         "[QX3][00] 3\r\n");
    EXPECT_EQ(localPath, 1);
    EXPECT_EQ(sceneCount, 3);
}

TEST_F(PlayScriptTest, CommentsOfAnyLengthAreSkippedWhole) {
    Read("' a comment line\r\n"
         "'\r\n"
         "'x\r\n"
         "[QX3][00] 4\r\n"
         "'[QX3][00] 9\r\n");
    EXPECT_EQ(sceneCount, 4);
    EXPECT_TRUE(Logged("QXP:\t\t\t\tstart chunk ID read: [QX3],\tline number: 4"));
}

TEST_F(PlayScriptTest, TraceOfAScript) {
    Read("[Music][00] 1\r\n"
         "[Music][01][Play] 2\r\n");
    std::vector<std::string> expected = {
        "ERROR:\t\tMORVAST.QXP\tfile not found in datafile",
        "",
        "QXP:\t\t\t\tstart chunk ID read: [Musi,\tline number: 1",
        "QXP:\t\t\t\tstart chunk ID read: [Musi,\tline number: 2",
        // The last line's skip over its LF would reach the end of the data and
        // is refused, so the LF is read as one more (unknown) chunk name.
        "QXP:\t\t\t\tstart chunk ID read: \n,\tline number: 3",
        "QXP:\t\t\t\tdone reading MORVAST.QXP",
        "",
    };
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(PlayScriptTest, LastLineWithoutLineEndEndsTheReadingHarmlessly) {
    Read("[QX3][00] 2\r\n"
         "[QX3][01][Play] 5 TRUE");
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{{5000, 7, 0.0f}}));
    // The skip past TRUE's line end is refused at the end of the data, so the
    // leftover "RUE" is read as one more unknown chunk name.
    EXPECT_TRUE(Logged("QXP:\t\t\t\tstart chunk ID read: RUE,\tline number: 3"));
    EXPECT_EQ(LogLines().back(), "");
}

TEST_F(PlayScriptTest, LinesBeforeTheirCountOrLoadAreSkipped) {
    Read("[Music][01][Filename] tune.xm\r\n"
         "[QX3][01][Filename] room.QX3\r\n"
         "[QX3][00] 1\r\n"
         "[QX3][01][Blur] Camera01 3\r\n"
         "[QX3][01][Camera] 0 10 Camera01 0 0 100 0 FALSE\r\n"
         "[QX3][01][Load]\r\n"
         "[QX3][02][Play] 1 FALSE\r\n");
    EXPECT_TRUE(Logged("ERROR:\t\tmusic_nr: 1\tno such music track, line skipped"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tno such scene, line skipped"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tscene not loaded, line skipped"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tno file name before load, line skipped"));
    // Timed lines are kept; the timeline refuses what they name when it comes to them.
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{{1000, 1, 1.0f}}));
}

TEST_F(PlayScriptTest, MusicFileNameLineFillsTheSlot) {
    Read("[Music][00] 2\r\n"
         "[Music][02][Filename] music\\tune.xm\r\n");
    ASSERT_NE(musicTracks[1].fileName, nullptr);
    EXPECT_STREQ(musicTracks[1].fileName, "music\\tune.xm");
    EXPECT_EQ(musicTracks[0].fileName, nullptr);
}

TEST_F(PlayScriptTest, MalformedInputNeitherOverflowsNorHangs) {
    std::string longWord(3000, 'w');
    Read("[QX3][00] 1\r\n"
         "[QX3][01][Play] " + longWord + " TRUE\r\n"
         "[Engine][Hold] 1 " + longWord + "\r\n"
         "\r\n\r\n"
         "[QX3][01][Order] a b c d e f g h\r\n"
         "[Music][99][Stop]");
    EXPECT_EQ(Read("'"), 1);
    EXPECT_EQ(Read("abcd\n'x"), 1);  // a comment cut short steps back onto its own start
    EXPECT_EQ(Read(std::string("[QX3][00] -5\r\n") + std::string(1, '\0') + "\xff\xff[Eng"), 1);
    EXPECT_EQ(sceneCount, 0);
}

}  // namespace

namespace {

// A scene of 300 frames with three cameras and one object, written beside the script.
void WriteRoomScene(const std::string& path) {
    using namespace velmora::tools;
    SceneDescription room;
    room.frameCount = 300;
    room.ambient.assign(300, 0x202020);
    room.drawStyles.push_back(WriterDrawStyle{});
    room.objects.push_back(CubeObject("Box", 2.0f, 0));
    for (const char* name : {"Camera01", "Camera02", "Camera03"}) {
        WriterCamera camera;
        camera.name = name;
        camera.fov.assign(300, 0.8f);
        camera.matrices.assign(300, TranslationMatrix(0.0f, 0.0f, 10.0f));
        room.cameras.push_back(camera);
    }
    std::string error;
    ASSERT_TRUE(WriteSceneFile(path, room, &error)) << error;
}

class LoadedScriptTest : public PlayScriptTest {
protected:
    void ReadWithRoom(const std::string& lines) {
        WriteRoomScene(directory + "room.QX3");
        Read("[QX3][00] 1\r\n"
             "[QX3][01][Filename] room.QX3\r\n"
             "[QX3][01][Load]\r\n" +
             lines);
        ASSERT_EQ(sceneCount, 1);
        ASSERT_EQ(scenes[0].frameCount, 300);
        ASSERT_EQ(scenes[0].cameraCount, 3);
    }
};

TEST_F(LoadedScriptTest, CameraWindowWithFades) {
    ReadWithRoom("[QX3][01][Camera] 100 200 Camera01 10 10 50 7 FALSE\r\n");
    const SceneCamera& camera = scenes[0].cameras[0];
    EXPECT_FLOAT_EQ(camera.frameBlend[99], -1.0f);
    for (int k = 0; k <= 10; ++k) EXPECT_NEAR(camera.frameBlend[100 + k], 0.05f * k, 1e-6) << k;
    EXPECT_FLOAT_EQ(camera.frameBlend[150], 0.5f);
    EXPECT_FLOAT_EQ(camera.frameBlend[190], 0.5f);
    for (int k = 1; k <= 9; ++k) EXPECT_NEAR(camera.frameBlend[190 + k], 1.0f - 0.05f * k, 1e-6) << k;
    EXPECT_FLOAT_EQ(camera.frameBlend[200], -1.0f);
    EXPECT_EQ(camera.frameExtraAmbient[99], 0);
    EXPECT_EQ(camera.frameExtraAmbient[100], 7);
    EXPECT_EQ(camera.frameExtraAmbient[199], 7);
    EXPECT_EQ(camera.frameExtraAmbient[200], 0);
    EXPECT_TRUE(Logged("QXP:\t\t\t\tcamera_nr: 0, begin frame: 100, end frame: 200, transparency: "
                       "0.500000, extra ambient: 7, overlay(T/F): 0"));
    EXPECT_FLOAT_EQ(scenes[0].cameras[1].frameBlend[150], -1.0f);  // other cameras untouched
}

TEST_F(LoadedScriptTest, WindowsAreClippedToTheScenesFrames) {
    ReadWithRoom("[QX3][01][Camera] 290 310 camera02 0 20 100 0 TRUE\r\n"
                 "[QX3][01][Camera] -20 3 Camera03 40 0 100 0 FALSE\r\n"
                 "[QX3][01][Camera] 0 5 Nobody 0 0 100 0 FALSE\r\n");
    const SceneCamera& second = scenes[0].cameras[1];
    EXPECT_FLOAT_EQ(second.frameBlend[289], -1.0f);
    EXPECT_FLOAT_EQ(second.frameBlend[290], 2.0f);  // overlay 1 plus full opacity
    EXPECT_FLOAT_EQ(second.frameBlend[291], 1.0f - 1.0f / 20.0f + 1.0f);
    EXPECT_FLOAT_EQ(second.frameBlend[299], 1.0f - 9.0f / 20.0f + 1.0f);  // the rest lies past the end
    const SceneCamera& third = scenes[0].cameras[2];
    EXPECT_NEAR(third.frameBlend[0], 20.0f / 40.0f, 1e-6);
    EXPECT_NEAR(third.frameBlend[19], 39.0f / 40.0f, 1e-6);  // the fade runs past the end
    EXPECT_FLOAT_EQ(third.frameBlend[20], 1.0f);
    EXPECT_FLOAT_EQ(third.frameBlend[21], -1.0f);
    EXPECT_TRUE(Logged("ERROR:\t\tNobody\tcamera not found in scene"));
}

TEST_F(LoadedScriptTest, PresentationKeysOfCamerasAndObjects) {
    ReadWithRoom("[QX3][01][FPS] 25\r\n"
                 "[QX3][01][Blur] Camera02 3\r\n"
                 "[QX3][01][Shade] box F\r\n"
                 "[QX3][01][Overlay] Box TRUE\r\n"
                 "[QX3][01][Backface] Box FALSE\r\n"
                 "[QX3][01][Shade] Box Wireframe\r\n"
                 "[QX3][01][Play] 1 FALSE\r\n");
    const Scene& scene = scenes[0];
    EXPECT_FLOAT_EQ(scene.framesPerSecond, 25.0f);
    EXPECT_EQ(scene.cameras[1].blurFrames, 3);
    EXPECT_EQ(scene.cameras[0].blurFrames, 1);
    EXPECT_EQ(scene.objects[0].shadeMode, 1);  // an unknown letter leaves it
    EXPECT_EQ(scene.objects[0].overlay, 1);
    EXPECT_EQ(scene.objects[0].cullBackfaces, 0);
    EXPECT_TRUE(Logged("QXP:\t\t\t\tShade mode: 1 (1 = Flat, 2 = Gouraud, 3 = Phong)"));
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{{1000, 1, 0.0f}}));  // still in step
}

TEST_F(LoadedScriptTest, ValuesThatWouldHangTheShowAreRefusedWithAnErrorLine) {
    ReadWithRoom("[QX3][01][Blur] Camera01 2000000000\r\n"
                 "[QX3][01][FPS] 24\r\n"
                 "[QX3][01][FPS] 0\r\n"
                 "[QX3][01][FPS] -3\r\n"
                 "[QX3][01][FPS] nan\r\n"
                 "[QX3][01][FPS] inf\r\n"
                 "[Engine][Hold] 0.5 3000000000\r\n"
                 "[Engine][Hold] 1 -5\r\n"
                 "[Engine][Hold] 2 nan\r\n"
                 "[Engine][Hold] 3 2000\r\n"
                 "[QX3][01][Play] 4 FALSE\r\n");
    const Scene& scene = scenes[0];
    // A trail as long as the scene at most; the rate of the last good line.
    EXPECT_EQ(scene.cameras[0].blurFrames, 300);
    EXPECT_FLOAT_EQ(scene.framesPerSecond, 24.0f);
    std::vector<ActionRecord> actions = Actions();
    ASSERT_EQ(actions.size(), 5u);
    // The long hold ends at half the clock's signed range, leaving the show
    // time to go on; the others hold nothing.
    EXPECT_EQ(actions[0].time, 500);
    EXPECT_GT(actions[0].argument, 1073000000.0f);
    EXPECT_LE(static_cast<double>(actions[0].argument), 1073741823.0 - 500);
    EXPECT_EQ(actions[1], (ActionRecord{1000, 4, 0.0f}));
    EXPECT_EQ(actions[2], (ActionRecord{2000, 4, 0.0f}));
    EXPECT_EQ(actions[3], (ActionRecord{3000, 4, 2000.0f}));
    EXPECT_EQ(actions[4], (ActionRecord{4000, 1, 0.0f}));  // still in step
    EXPECT_TRUE(Logged("ERROR:\t\tCamera01\tblur of 2000000000 frames longer than the scene, 300 kept"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tframes per second 0.000000 refused, 24.000000 kept"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tframes per second -3.000000 refused, 24.000000 kept"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tframes per second nan refused, 24.000000 kept"));
    EXPECT_TRUE(Logged("ERROR:\t\tscene_nr: 1\tframes per second inf refused, 24.000000 kept"));
    EXPECT_TRUE(Logged("ERROR:\t\thold of -5.000000 ms refused, 0.000000 ms kept"));
    EXPECT_TRUE(Logged("ERROR:\t\thold of nan ms refused, 0.000000 ms kept"));
    EXPECT_EQ(LogLinesStartingWith("ERROR:\t\thold of 3000000000.000000 ms refused, "), 1);
}

TEST_F(LoadedScriptTest, TrailsBelowZeroFramesAreRefusedAsTooLongOnesAre) {
    // trail - 1 of the lowest int would wrap round to the highest, and the
    // frame would never end. A trail of 0 hides its camera and stays; one
    // below that keeps 0, which draws the same nothing.
    ReadWithRoom("[QX3][01][Blur] Camera01 -2147483648\r\n"
                 "[QX3][01][Blur] Camera02 0\r\n"
                 "[QX3][01][Blur] Camera03 5\r\n"
                 "[QX3][01][Blur] Camera03 -1\r\n"
                 "[QX3][01][Play] 4 FALSE\r\n");
    const Scene& scene = scenes[0];
    EXPECT_EQ(scene.cameras[0].blurFrames, 0);
    EXPECT_EQ(scene.cameras[1].blurFrames, 0);
    EXPECT_EQ(scene.cameras[2].blurFrames, 0);
    EXPECT_TRUE(Logged("ERROR:\t\tCamera01\tblur of -2147483648 frames below zero, 0 kept"));
    EXPECT_EQ(LogLinesStartingWith("ERROR:\t\tCamera02\tblur"), 0);
    EXPECT_TRUE(Logged("ERROR:\t\tCamera03\tblur of -1 frames below zero, 0 kept"));
    EXPECT_EQ(LogLinesStartingWith("ERROR:\t\tCamera03\tblur of 5"), 0);
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{{4000, 1, 0.0f}}));  // still in step
}

TEST_F(LoadedScriptTest, ActionTimesPastTheClocksBoundAreRefusedAndDropped) {
    // From 2147483.647 s on the product would be clamped to 24.8 days and the
    // show would wait that long; the bound is 2^30 - 1 ms, where holds end too.
    ReadWithRoom("[Music][00] 1\r\n"
                 "[QX3][01][Play] 1e30 FALSE\r\n"
                 "[QX3][01][Stop] inf\r\n"
                 "[QX3][01][Unload] 3.4e38\r\n"
                 "[QX3][01][PreLoad] 2147483.647\r\n"
                 "[QX3][01][Release] nan\r\n"
                 "[Music][01][Play] 1073741.9\r\n"
                 "[Music][01][Stop] 5e9\r\n"
                 "[Engine][Hold] 1e12 20\r\n"
                 "[QX3][01][Play] 1073741.8 TRUE\r\n"
                 "[Engine][Hold] -1e30 20\r\n"
                 "[QX3][01][Stop] 2\r\n");
    // 1073741.8 is the float 1073741.75, inside the bound; a time before the
    // start is still performed at the start.
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{
                             {0, 4, 20.0f}, {2000, 6, 0.0f}, {1073741750, 7, 0.0f}}));
    EXPECT_EQ(LogLinesStartingWith("ERROR:\t\taction time of "), 8);
    EXPECT_TRUE(Logged("ERROR:\t\taction time of inf s refused (latest 1073741.823 s), action type 6 "
                       "dropped"));
    EXPECT_TRUE(Logged("ERROR:\t\taction time of nan s refused (latest 1073741.823 s), action type 9 "
                       "dropped"));
    EXPECT_TRUE(Logged("ERROR:\t\taction time of 2147483.750000 s refused (latest 1073741.823 s), "
                       "action type 8 dropped"));
    EXPECT_TRUE(Logged("ERROR:\t\taction time of 1073741.875000 s refused (latest 1073741.823 s), "
                       "action type 2 dropped"));
    // One refusal for each line, naming the action it drops.
    for (int type : {1, 2, 3, 4, 5, 6, 8, 9}) {
        int lines = 0;
        for (const std::string& line : LogLines())
            lines += line.rfind("ERROR:\t\taction time of ", 0) == 0 &&
                     line.size() > 10 &&
                     line.substr(line.size() - 10) == " " + std::to_string(type) + " dropped";
        EXPECT_EQ(lines, 1) << "action type " << type;
    }
    // A refused hold time is not also reported as a refused length.
    EXPECT_EQ(LogLinesStartingWith("ERROR:\t\thold of "), 0);
}

TEST_F(PlayScriptTest, TimedLinesInAnyOrderGiveTheStableTimeOrder) {
    // Times rising, falling and repeated, as one insertion after another
    // starts where the last one went: the list is the lines stably sorted.
    std::string script = "[Music][00] 3\r\n";
    std::vector<ActionRecord> expected;
    uint32_t state = 12345;
    for (int i = 0; i < 600; ++i) {
        state = state * 1103515245u + 12345u;
        int tenths = i < 200 ? i : i < 300 ? 600 - i : static_cast<int>((state >> 16) % 50);
        int track = i % 3;
        const std::string seconds = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        script += "[Music][0" + std::to_string(track + 1) + "][Play] " + seconds + "\r\n";
        expected.push_back({ScriptTimeToMilliseconds(seconds.c_str()), 2, static_cast<float>(track)});
    }
    ASSERT_EQ(Read(script), 1);
    std::stable_sort(expected.begin(), expected.end(),
                     [](const ActionRecord& a, const ActionRecord& b) { return a.time < b.time; });
    EXPECT_EQ(Actions(), expected);
    // A second reading adds behind what the first left, in the same order.
    ASSERT_EQ(Read("[Music][00] 1\r\n[Music][01][Stop] 0.1\r\n[Music][01][Stop] 70\r\n"), 1);
    std::vector<ActionRecord> both = Actions();
    ASSERT_EQ(both.size(), expected.size() + 2);
    EXPECT_EQ(both.back(), (ActionRecord{70000, 3, 0.0f}));
    EXPECT_TRUE(std::is_sorted(both.begin(), both.end(),
                               [](const ActionRecord& a, const ActionRecord& b) { return a.time < b.time; }));
}

TEST_F(LoadedScriptTest, ASecondLoadLineReplacesWhatTheFirstRead) {
    // The sanitizer build sees the first scene's arrays leak if they are not freed.
    using namespace velmora::tools;
    SceneDescription small;
    small.ambient = {0};
    small.drawStyles.push_back(WriterDrawStyle{});
    small.objects.push_back(CubeObject("Small", 1.0f, 0));
    small.cameras.push_back({"Only", {0.8f}, {IdentityMatrix()}});
    std::string error;
    ASSERT_TRUE(WriteSceneFile(directory + "small.QX3", small, &error)) << error;
    WriteRoomScene(directory + "room.QX3");
    Read("[QX3][00] 1\r\n"
         "[QX3][01][Filename] room.QX3\r\n"
         "[QX3][01][Load]\r\n"
         "[QX3][01][Camera] 0 300 Camera01 0 0 100 0 FALSE\r\n"
         "[QX3][01][Filename] small.QX3\r\n"
         "[QX3][01][Load]\r\n");
    ASSERT_EQ(sceneCount, 1);
    const Scene& scene = scenes[0];
    EXPECT_STREQ(scene.fileName, "small.QX3");
    EXPECT_EQ(scene.frameCount, 1);
    ASSERT_EQ(scene.cameraCount, 1);
    EXPECT_STREQ(scene.cameras[0].name, "Only");
    EXPECT_FLOAT_EQ(scene.cameras[0].frameBlend[0], -1.0f);  // the earlier window went with it
}

TEST_F(LoadedScriptTest, CameraOrderPutsTheNamedCamerasFirst) {
    ReadWithRoom("[QX3][01][Order] Camera03 Camera01 Nobody\r\n"
                 "[QX3][01][Play] 2 TRUE\r\n");
    const int32_t* order = scenes[0].cameraOrder;
    EXPECT_EQ(std::vector<int32_t>(order, order + 3), (std::vector<int32_t>{2, 0, 1}));
    EXPECT_EQ(Actions(), (std::vector<ActionRecord>{{2000, 7, 0.0f}}));
}

}  // namespace
