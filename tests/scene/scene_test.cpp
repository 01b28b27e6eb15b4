// The scene's life: loading with its visibility file, lights, freeing.
#include "scene/scene.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "diag/memory_counters.h"
#include "scene/scene_fixture.h"
#include "scene_writer/sample_scenes.h"
#include "support/fake_texture_cache.h"

using namespace velmora::tools;
using velmora::testing::fakeTextures;
using velmora::testing::SceneTest;

namespace {

using SceneLifeTest = SceneTest;

bool AllZero(const Scene& scene) {
    Scene zero{};
    return std::memcmp(&scene, &zero, sizeof scene) == 0;
}

TEST_F(SceneLifeTest, LoadingSwitchesEveryLightOffOnTheGivenDevice) {
    Load(EveryNodeScene());
    ASSERT_EQ(scene.lightCount, 6);
    EXPECT_EQ(device.calls, (std::vector<std::string>{"LightEnable 0 0", "LightEnable 1 0",
                                                      "LightEnable 2 0", "LightEnable 3 0",
                                                      "LightEnable 4 0", "LightEnable 5 0"}));
    device.calls.clear();
    EnableSceneLights(&scene, &device);
    DisableSceneLights(&scene, &device);
    ASSERT_EQ(device.calls.size(), 12u);
    EXPECT_EQ(device.calls[0], "LightEnable 0 1");
    EXPECT_EQ(device.calls[5], "LightEnable 5 1");
    EXPECT_EQ(device.calls[6], "LightEnable 0 0");
    EXPECT_EQ(device.calls[11], "LightEnable 5 0");
}

TEST_F(SceneLifeTest, TheVisibilityNameReplacesTheLastThreeLettersAndKeepsTheDirectory) {
    SceneDescription d = OneFrameScene();
    ASSERT_EQ(mkdir((directory + "sub").c_str(), 0755), 0);
    WriteBytes("room.qx3", SceneBytes(d));
    WriteBytes("sub/room.VIS", {0x00});
    WriteBytes("room.VIS", {0x01});
    // With the local-path setting the scene name loses its directory; the
    // visibility name was formed before and keeps it.
    localPath = 1;
    LoadFile("sub\\room.qx3");
    ASSERT_EQ(scene.objectCount, 1);
    EXPECT_STREQ(scene.fileName, "room.qx3");
    EXPECT_EQ(scene.cameras[0].visibility[0][0], 0x00);
    EXPECT_EQ(LogLinesStarting("Visability:\t\t\t\tsub\\room.VIS, read visability done").size(), 1u);

    FreeScene(&scene);
    localPath = 0;
    LoadFile("room.qx3");
    EXPECT_EQ(scene.cameras[0].visibility[0][0], 0x01);
}

TEST_F(SceneLifeTest, InitSceneEmptiesTheCountsAndKeepsTheName) {
    scene.fileName = strdup("keep.QX3");
    scene.objectCount = 4;
    scene.frameCount = 9;
    scene.currentFrame = 5.0f;
    InitScene(&scene);
    EXPECT_STREQ(scene.fileName, "keep.QX3");
    EXPECT_EQ(scene.objectCount, 0);
    EXPECT_EQ(scene.frameCount, 0);
    EXPECT_EQ(scene.currentFrame, 0.0f);
    EXPECT_EQ(scene.framesPerSecond, 30.0f);
}

TEST_F(SceneLifeTest, FreeingReleasesTexturesLogsAndLeavesAnAllZeroRecord) {
    Load(EveryNodeScene());
    scene.drawStyles[0].texturePreloaded = 1;
    scene.drawStyles[2].texturePreloaded = 1;
    int32_t animation = animationMemoryCounter, general = generalMemoryCounter;
    fakeTextures.calls.clear();
    ClearLog();
    FreeScene(&scene);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"QX3:\t\t\t\tmaps\\wall.jpg texture read from file",
                                                     "QX3:\t\t\t\t texture read from file",
                                                     "QX3:\t\t\t\tscene.QX3 scene given free"}));
    EXPECT_EQ(fakeTextures.calls,
              (std::vector<std::string>{"DeleteTexture maps\\wall.jpg", "DeleteTexture glass.tga",
                                        "DeleteTexture "}));
    EXPECT_TRUE(AllZero(scene));
    EXPECT_EQ(animationMemoryCounter, animation);
    EXPECT_EQ(generalMemoryCounter, general);

    // A second free, as the end of the show does after an unload action,
    // finds nothing to release and says nothing.
    ClearLog();
    FreeScene(&scene);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(fakeTextures.calls.size(), 3u);
    EXPECT_TRUE(AllZero(scene));
}

TEST_F(SceneLifeTest, EntriesThePlayScriptNeverLoadedCanAllBeFreed) {
    Scene* entries = static_cast<Scene*>(std::calloc(3, sizeof(Scene)));
    WriteBytes("one.QX3", SceneBytes(OneFrameScene()));
    entries[1].fileName = strdup("one.QX3");
    LoadScene(&entries[1], entries[1].fileName, &device);
    EXPECT_TRUE(SceneIsEmpty(&entries[0]));
    EXPECT_FALSE(SceneIsEmpty(&entries[1]));
    ClearLog();
    for (int i = 0; i < 3; ++i) FreeScene(&entries[i]);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"QX3:\t\t\t\tone.QX3 scene given free"});
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(AllZero(entries[i]));
    std::free(entries);
}

TEST_F(SceneLifeTest, ASceneWhoseFileIsMissingStillFreesItsName) {
    LoadFile("absent.QX3");
    ClearLog();
    FreeScene(&scene);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"QX3:\t\t\t\tabsent.QX3 scene given free"});
    EXPECT_TRUE(AllZero(scene));
}

}  // namespace
