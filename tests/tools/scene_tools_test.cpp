// The summary qxinfo prints.
#include <gtest/gtest.h>

#include "qxinfo/scene_summary.h"
#include "scene/scene_fixture.h"
#include "scene_writer/sample_scenes.h"

using namespace velmora::tools;
using velmora::testing::SceneTest;

namespace {

using SceneSummaryTest = SceneTest;

TEST_F(SceneSummaryTest, SummaryNamesEverythingAndBoxesFrameZero) {
    Load(EveryNodeScene());
    ASSERT_EQ(scene.objectCount, 2);
    BoundingBox box = SceneBoundingBox(scene, 0);
    ASSERT_FALSE(box.empty);
    // The cube of edge 2 moved to x = 5, and the animated object at frame 0
    // with its sheared matrix.
    EXPECT_EQ(box.min.x, -0.5f);
    EXPECT_EQ(box.min.y, -1.0f);
    EXPECT_EQ(box.min.z, -1.0f);
    EXPECT_EQ(box.max.x, 6.0f);
    EXPECT_EQ(box.max.y, 1.5f);
    EXPECT_EQ(box.max.z, 2.0f);
    // At frame 2 the animated object has moved by (0, 2, 4).
    EXPECT_EQ(SceneBoundingBox(scene, 2).max.z, 6.0f);

    std::string summary = SceneSummary(scene);
    for (const char* expected :
         {"frames: 3\n", "draw styles: 3\n", "1: colour 0.200 0.400 0.600 alpha 0.750 texture glass.tga",
          "objects: 2\n", "1: Mover (parent Box01) animated, 3 parts, not culled",
          "part 0: draw style 0, 24 vertices, 12 triangles", "cameras: 2\n", "0: Camera02",
          "lights: 6\n", "5: Spot02, spot, quadratic attenuation, range 700, animated",
          "bounding box of frame 0: -0.5 -1 -1 to 6 1.5 2\n"})
        EXPECT_NE(summary.find(expected), std::string::npos) << expected << "\n" << summary;
}

TEST_F(SceneSummaryTest, AOneFrameSceneSaysItsAmbientOnce) {
    Load(OneFrameScene());
    ASSERT_EQ(scene.frameCount, 1);
    std::string summary = SceneSummary(scene);
    EXPECT_NE(summary.find("frames: 1\nambient: 0x"), std::string::npos) << summary;
    EXPECT_EQ(summary.find("ambient: frame"), std::string::npos) << summary;
}

TEST_F(SceneSummaryTest, ASceneOfMoreFramesSaysItsFirstAndLastAmbient) {
    Load(EveryNodeScene());
    EXPECT_NE(SceneSummary(scene).find("ambient: frame 0 0x"), std::string::npos);
}

}  // namespace
