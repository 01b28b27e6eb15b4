// The capture's profile of scene windows: a window per stretch of frames in
// which the same scenes play, its figures per frame, and the names of the
// playing scenes as the render list holds them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "scene/scene.h"
#include "scene_timings.h"
#include "show/timeline.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

using velmora::tools::PlayingScenes;
using velmora::tools::SceneTimings;
using velmora::platform::DrawCounters;

namespace {

DrawCounters Counters(uint64_t draws, uint64_t states, uint64_t sent, uint64_t kept) {
    DrawCounters counters;
    counters.draws = draws;
    counters.stateChanges = states;
    counters.bytesStreamed = sent;
    counters.bytesKept = kept;
    return counters;
}

TEST(SceneTimingsTest, AWindowLastsWhileTheSameScenesPlayAndSumsItsFrames) {
    SceneTimings timings;
    const double frame = 1.0 / 60;
    timings.FrameDrawn("a.QX3", 0.0, frame, 0.010, 0.015, Counters(10, 20, 1024, 0));
    timings.FrameDrawn("a.QX3", frame, frame, 0.030, 0.025, Counters(30, 40, 3072, 2048));
    timings.FrameDrawn("a.QX3+b.QX3", 2 * frame, frame, 0.050, 0.060, Counters(5, 6, 0, 0));
    // The same scenes again after others make a window of their own.
    timings.FrameDrawn("a.QX3", 3 * frame, frame, 0.001, 0.001, Counters(1, 1, 0, 0));
    ASSERT_EQ(timings.windows().size(), 3u);
    const auto& first = timings.windows()[0];
    EXPECT_EQ(first.scenes, "a.QX3");
    EXPECT_EQ(first.frames, 2u);
    EXPECT_DOUBLE_EQ(first.fromSeconds, 0.0);
    EXPECT_DOUBLE_EQ(first.toSeconds, 2 * frame);
    EXPECT_DOUBLE_EQ(first.wallSeconds, 0.040);
    EXPECT_DOUBLE_EQ(first.processorSeconds, 0.040);
    EXPECT_EQ(first.counters.draws, 40u);
    EXPECT_EQ(first.counters.stateChanges, 60u);
    EXPECT_EQ(first.counters.bytesStreamed, 4096u);
    EXPECT_EQ(first.counters.bytesKept, 2048u);
    EXPECT_EQ(timings.windows()[1].scenes, "a.QX3+b.QX3");
    EXPECT_DOUBLE_EQ(timings.windows()[2].fromSeconds, 3 * frame);

    // The table gives figures per frame: 20 ms, 20 draws, 2 KB sent, 1 KB kept.
    const std::string table = timings.Table();
    const size_t line = table.find('\n');
    ASSERT_NE(line, std::string::npos);
    const std::string firstRow = table.substr(line + 1, table.find('\n', line + 1) - line - 1);
    EXPECT_EQ(firstRow, "   0.00    0.03       2      20.0    20.0     20      30      2.0      1.0  a.QX3") << table;
}

TEST(SceneTimingsTest, NoFramesNoWindows) {
    SceneTimings timings;
    EXPECT_TRUE(timings.windows().empty());
    EXPECT_EQ(timings.Table().find('\n'), timings.Table().size() - 1);  // the heading alone
}

class PlayingScenesTest : public ::testing::Test {
protected:
    void SetUp() override { velmora::testing::ResetEngineState(); }
    void TearDown() override {
        for (int i = 0; i < sceneCount; ++i) std::free(scenes[i].fileName);
        std::free(scenes);
        scenes = nullptr;
        sceneCount = 0;
        ClearActionList(&renderList);
        velmora::testing::ResetEngineState();
    }
};

TEST_F(PlayingScenesTest, TheRenderListsScenesByFileNameWithoutFolders) {
    EXPECT_EQ(PlayingScenes(), "");
    sceneCount = 3;
    scenes = static_cast<Scene*>(std::calloc(3, sizeof(Scene)));
    scenes[0].fileName = strdup("data\\stars.QX3");
    scenes[1].fileName = strdup("shows/knot.QX3");
    scenes[2].fileName = nullptr;
    AddAction(&renderList, 0, kActionPlayScene, 1.0f);
    AddAction(&renderList, 5, kActionPlayScene, 0.0f);
    EXPECT_EQ(PlayingScenes(), "knot.QX3+stars.QX3");
    // A scene without a name, or an index outside the array, shows as "?".
    AddAction(&renderList, 6, kActionPlayScene, 2.0f);
    AddAction(&renderList, 7, kActionPlayScene, 9.0f);
    EXPECT_EQ(PlayingScenes(), "knot.QX3+stars.QX3+?+?");
}

}  // namespace
