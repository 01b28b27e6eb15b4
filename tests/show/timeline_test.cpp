#include "show/timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "diag/log.h"
#include "music/music_player.h"
#include "platform/backend/frame_clock.h"
#include "scene/scene.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace {

using velmora::testing::ReadFile;

// The virtual clock of the fixture runs at 50 frames per second: 20 ms a frame.
class TimelineTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        directory = velmora::testing::MakeTempDirectory() + "/";
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
        logEnabled = 1;
        showStartTime = timeGetTime();
    }
    void TearDown() override {
        for (int i = 0; i < sceneCount; ++i) FreeScene(&scenes[i]);
        std::free(scenes);
        std::free(musicTracks);
        EngineTest::TearDown();
    }
    // Scenes that look loaded: frameCount frames played at fps.
    void MakeScenes(int count, int frameCount, float fps) {
        sceneCount = count;
        scenes = static_cast<Scene*>(std::calloc(count, sizeof(Scene)));
        for (int i = 0; i < count; ++i) {
            scenes[i].frameCount = frameCount;
            scenes[i].framesPerSecond = fps;
            scenes[i].currentFrame = -1.0f;
        }
    }
    void MakeTracks(int count) {
        musicTrackCount = count;
        musicTracks = static_cast<MusicTrack*>(std::calloc(count, sizeof(MusicTrack)));
    }
    // One frame as the main loop makes it: timeline step, then present.
    void RunFrames(int frames) {
        for (int i = 0; i < frames && !exitRequested; ++i) {
            AdvanceTimeline(nullptr);
            velmora::platform::FramePresented();
        }
    }
    int RunToEnd(int limit = 100000) {
        int frames = 0;
        while (!exitRequested && frames < limit) {
            RunFrames(1);
            ++frames;
        }
        return frames;
    }
    std::vector<std::string> LogLines() {
        return velmora::testing::ReadLogLines(directory + "Log.TXT");
    }
    std::string directory;
};

std::vector<int32_t> Times(const ActionList& list) {
    std::vector<int32_t> times;
    for (Action* a = list.next; a; a = a->next) times.push_back(a->time);
    return times;
}

TEST_F(TimelineTest, ActionsKeepTimeOrderAndEqualTimesKeepTheirOrder) {
    AddAction(&actionList, 500, kActionPlayMusic, 1.0f);
    AddAction(&actionList, 100, kActionPlayMusic, 2.0f);
    AddAction(&actionList, 500, kActionStopMusic, 3.0f);
    AddAction(&actionList, 0, kActionPlayMusic, 4.0f);
    AddAction(&actionList, 100, kActionStopMusic, 5.0f);
    EXPECT_EQ(Times(actionList), (std::vector<int32_t>{0, 100, 100, 500, 500}));
    std::vector<float> arguments;
    for (Action* a = actionList.next; a; a = a->next) arguments.push_back(a->argument);
    EXPECT_EQ(arguments, (std::vector<float>{4, 2, 5, 1, 3}));
    EXPECT_EQ(actionList.time, 0);  // the sentinel is never overwritten
    EXPECT_EQ(actionList.type, 0);
}

TEST_F(TimelineTest, NegativeTimeIsPerformedAtTheStart) {
    MakeTracks(1);
    AddAction(&actionList, -250, kActionPlayMusic, 0.0f);
    EXPECT_EQ(actionList.type, 0);
    ASSERT_NE(actionList.next, nullptr);
    EXPECT_EQ(actionList.next->time, 0);
    RunFrames(1);
    EXPECT_EQ(actionCursor, nullptr);
}

TEST_F(TimelineTest, RemoveActionIgnoresNodesOfOtherLists) {
    AddAction(&actionList, 10, kActionHold, 0.0f);
    AddAction(&renderList, 10, kActionPlayScene, 0.0f);
    RemoveAction(&actionList, renderList.next);
    EXPECT_EQ(Times(renderList).size(), 1u);
    EXPECT_EQ(Times(actionList).size(), 1u);
}

TEST_F(TimelineTest, EmptyTimelineEndsInTheFirstFrame) {
    RunFrames(1);
    EXPECT_EQ(exitRequested, 1);
    EXPECT_EQ(frameCounter, 1);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Time:\t\t\t\tDemoExit"}));
}

TEST_F(TimelineTest, OneActionPerFrameEvenWhenSeveralAreDue) {
    MakeTracks(2);
    AddAction(&actionList, 0, kActionPlayMusic, 0.0f);
    AddAction(&actionList, 0, kActionPlayMusic, 1.0f);
    AddAction(&actionList, 40, kActionStopMusic, 0.0f);
    // 0 ms, 20 ms, 40 ms; the frame of the last action already finds nothing left.
    EXPECT_EQ(RunToEnd(), 3);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "CheckTime:\t\t\t\t0.000000 current time, 2 action type",
                              "CheckTime:\t\t\t\t0.020000 current time, 2 action type",
                              "CheckTime:\t\t\t\t0.040000 current time, 3 action type",
                              "Time:\t\t\t\tDemoExit",
                          }));
}

TEST_F(TimelineTest, ActionsDueDuringAHoldFollowOnePerFrame) {
    MakeTracks(1);
    AddAction(&actionList, 0, kActionHold, 2000.0f);
    AddAction(&actionList, 500, kActionPlayMusic, 0.0f);
    AddAction(&actionList, 1000, kActionStopMusic, 0.0f);
    RunFrames(1);
    EXPECT_EQ(timeGetTime() - showStartTime, 2020u);  // the hold slept 2 s
    RunFrames(2);
    EXPECT_EQ(actionCursor, nullptr);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "CheckTime:\t\t\t\t2.020000 current time, 2 action type");
    EXPECT_EQ(lines[2], "CheckTime:\t\t\t\t2.040000 current time, 3 action type");
    EXPECT_EQ(lines[3], "Time:\t\t\t\tDemoExit");
}

TEST_F(TimelineTest, SceneFinishesAfterItsLastFrameAndTheShowEndsInTheNextFrame) {
    MakeScenes(1, 5, 50.0f);  // five frames at the clock's own rate
    AddAction(&actionList, 0, kActionPlayScene, 0.0f);
    int frames = RunToEnd();
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "CheckTime:\t\t\t\t0.000000 current time, 1 action type");
    EXPECT_EQ(lines[lines.size() - 2],
              "ActionTimeStamp:\t\t\t\trender scene done, number: 1 frame: 5.000000, time: 0.120000");
    EXPECT_EQ(lines.back(), "Time:\t\t\t\tDemoExit");
    // The first pass draws nothing (frame -1), frames 0..4 follow from 20 to 100 ms,
    // the pass at 120 ms finds frame 5 and removes the scene, the next one ends the show.
    EXPECT_EQ(frames, 8);
    EXPECT_EQ(scenes[0].currentFrame, 0.0f);
    EXPECT_EQ(renderList.next, nullptr);
}

TEST_F(TimelineTest, LateStartDoesNotShiftTheScene) {
    MakeScenes(1, 1000, 10.0f);
    MakeTracks(1);
    AddAction(&actionList, 0, kActionHold, 1000.0f);
    AddAction(&actionList, 200, kActionPlayScene, 0.0f);
    RunFrames(3);  // hold, then the play performed at 1020 ms, then one pass more
    EXPECT_EQ(scenes[0].startTime, 200);
    // Measured from its scheduled time: (1040 - 200) ms at 10 fps.
    EXPECT_FLOAT_EQ(scenes[0].currentFrame, 8.4f);
}

TEST_F(TimelineTest, LoopedSceneRestartsAndStopEndsIt) {
    MakeScenes(1, 3, 50.0f);
    AddAction(&actionList, 0, kActionPlaySceneLooped, 0.0f);
    AddAction(&actionList, 200, kActionStopScene, 0.0f);
    RunToEnd(1000);
    std::vector<std::string> lines = LogLines();
    int loops = 0;
    for (const std::string& line : lines)
        if (line.rfind("ActionTimeStamp:\t\t\t\tloop render scene, number: 1 time: ", 0) == 0) ++loops;
    EXPECT_GE(loops, 2);
    auto stop = std::find(lines.begin(), lines.end(),
                          "CheckTime:\t\t\t\t0.200000 current time, 6 action type");
    ASSERT_NE(stop, lines.end());
    // The render pass of the stop's own frame ends the scene at frameCount; the next frame ends the show.
    ASSERT_EQ(lines.end() - stop, 3);
    EXPECT_EQ(stop[1],
              "ActionTimeStamp:\t\t\t\trender scene done, number: 1 frame: 3.000000, time: 0.200000");
    EXPECT_EQ(stop[2], "Time:\t\t\t\tDemoExit");
    EXPECT_EQ(scenes[0].looping, 0);
}

TEST_F(TimelineTest, UnloadOfAPlayingSceneDropsItFirst) {
    MakeScenes(2, 100, 50.0f);
    scenes[0].fileName = strdup("A.QX3");
    AddAction(&actionList, 0, kActionPlayScene, 0.0f);
    AddAction(&actionList, 0, kActionPlayScene, 1.0f);
    AddAction(&actionList, 60, kActionUnloadScene, 0.0f);
    AddAction(&actionList, 100, kActionPlayScene, 0.0f);  // reaches a freed scene
    RunFrames(8);
    EXPECT_EQ(scenes[0].frameCount, 0);
    EXPECT_EQ(scenes[0].fileName, nullptr);
    ASSERT_NE(renderList.next, nullptr);
    EXPECT_EQ(renderList.next->argument, 1.0f);
    EXPECT_EQ(renderList.next->next, nullptr);
    std::vector<std::string> lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "ERROR:\t\tscene_nr: 1\tscene not loaded, action type 1 skipped"),
              lines.end());
}

TEST_F(TimelineTest, ActionsOutsideTheArraysAreSkipped) {
    MakeScenes(1, 10, 50.0f);
    MakeTracks(1);
    AddAction(&actionList, 0, kActionPlayScene, 3.0f);
    AddAction(&actionList, 0, kActionStopMusic, -1.0f);
    AddAction(&actionList, 0, kActionUnloadScene, 1e30f);
    AddAction(&actionList, 0, kActionPreloadTextures, 7.0f);
    AddAction(&actionList, 0, kActionHold, -500.0f);  // holds nothing
    EXPECT_EQ(RunToEnd(), 5);
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(lines[1], "ERROR:\t\tscene_nr: 4\tno such scene, action type 1 skipped");
    EXPECT_EQ(lines[3], "ERROR:\t\tmusic_nr: 0\tno such music track, action type 3 skipped");
    EXPECT_EQ(lines[5], "ERROR:\t\tscene_nr: 0\tno such scene, action type 5 skipped");
    EXPECT_EQ(lines[7], "ERROR:\t\tscene_nr: 8\tno such scene, action type 8 skipped");
    EXPECT_EQ(renderList.next, nullptr);
}

// The whole frame of a scene at sceneRate, started at 0, that each of the
// first count frames of a virtual clock at filmRate draws (the guide's
// "Frame times" section): frame k is drawn from the frame the pass before
// computed, at floor(k x 1000 / filmRate) ms.
std::vector<int> FramesDrawn(uint64_t filmRate, float sceneRate, int count) {
    velmora::platform::UseVirtualClock(velmora::platform::FrameRate{filmRate, 1}, 0);
    showStartTime = timeGetTime();
    sceneCount = 1;
    scenes = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    scenes[0].frameCount = 100000;
    scenes[0].framesPerSecond = sceneRate;
    scenes[0].currentFrame = -1.0f;
    AddAction(&actionList, 0, kActionPlayScene, 0.0f);
    std::vector<int> drawn;
    for (int k = 0; k <= count; ++k) {
        const float frame = scenes[0].currentFrame;
        AdvanceTimeline(nullptr);
        velmora::platform::FramePresented();
        if (k > 0) drawn.push_back(static_cast<int>(frame));
    }
    return drawn;
}

TEST_F(TimelineTest, FrameTimesFallOnWholeMillisecondsSoThirtyAFrameSkipsOneInThree) {
    // At 30 a second film frames fall at 0, 33, 66, 100 ms: film frames 1,
    // 2, 4, 5, 7 and 8 come short of their scene frame's time and show the
    // frame before it, so scene frames 0, 3 and 6 are drawn twice and 2, 5
    // and 8 never.
    EXPECT_EQ(FramesDrawn(30, 30.0f, 10), (std::vector<int>{0, 0, 1, 3, 3, 4, 6, 6, 7, 9}));
}

TEST_F(TimelineTest, FrameTimesAtSixtyAFrameSkipNothingOfAThirtyFrameScene) {
    // 0, 16, 33, 50, 66, 83, 100 ms: every frame of a 30-frame scene is
    // drawn, but for 3, 2 and 1 film frames in turn.
    EXPECT_EQ(FramesDrawn(60, 30.0f, 12), (std::vector<int>{0, 0, 0, 1, 1, 2, 3, 3, 3, 4, 4, 5}));
}

TEST_F(TimelineTest, FrameTimesAtSixtyAFrameSkipOneFrameInThreeOfASixtyFrameScene) {
    // A scene at 60 filmed at 60 skips one frame in three, as 30 at 30 does.
    EXPECT_EQ(FramesDrawn(60, 60.0f, 7), (std::vector<int>{0, 0, 1, 3, 3, 4, 6}));
}

TEST_F(TimelineTest, FrameTimesAtFiftyAFrameAreExact) {
    // 20 ms a frame: every scene frame at 50 a second has its film frame.
    EXPECT_EQ(FramesDrawn(50, 50.0f, 8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(TimelineTest, FrameTimesAtFiftyAFrameShowAScenesAtTwentyFiveTwiceEach) {
    EXPECT_EQ(FramesDrawn(50, 25.0f, 8), (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
}

TEST_F(TimelineTest, HoldLengthsAreClampedNotConvertedOutOfRange) {
    velmora::platform::UseVirtualClock(velmora::platform::FrameRate{50, 1}, 0);
    HoldFor(-1.0f);
    HoldFor(std::nanf(""));
    EXPECT_EQ(timeGetTime(), 0u);
    HoldFor(1500.9f);
    EXPECT_EQ(timeGetTime(), 1500u);
}

}  // namespace
