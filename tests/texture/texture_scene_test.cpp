// Scenes read with the real texture cache: a damaged scene file takes out the
// textures its reading created, and leaves those another scene holds.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene_writer/scene_writer.h"
#include "support/engine_fixture.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace fs = std::filesystem;
using namespace velmora::tools;

namespace {

class TextureSceneTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        previous = fs::current_path();
        directory = velmora::testing::MakeTempDirectory();
        fs::current_path(directory);
        for (const char* name : {"shared.png", "own.png", "other.png"}) {
            FIBITMAP* bitmap = FreeImage_Allocate(4, 4, 24);
            ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, name, 0));
            FreeImage_Unload(bitmap);
        }
    }
    void TearDown() override {
        FreeScene(&scene);
        while (textureList) delete textureList;
        fs::current_path(previous);
        fs::remove_all(directory);
        EngineTest::TearDown();
    }
    std::vector<uint8_t> Bytes() {
        SceneDescription description;
        description.frameCount = 1;
        description.ambient = {0x202020};
        description.drawStyles = {{1, 1, 1, 0, "shared.png"}, {1, 1, 1, 0, "own.png"},
                                  {1, 1, 1, 0, "OWN.PNG"}};
        description.objects.push_back(CubeObject("Cube", 10.0f, 1));
        return SceneBytes(description);
    }
    void Load(const std::vector<uint8_t>& bytes) {
        std::ofstream("s.QX3", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        scene.fileName = strdup("s.QX3");
        LoadScene(&scene, scene.fileName, nullptr);
    }

    fs::path previous;
    std::string directory;
    Scene scene{};
};

TEST_F(TextureSceneTest, ADamagedSceneDeletesOnlyTheTexturesItCreated) {
    ASSERT_EQ(CreateTexture("shared.png", 0, 0), 0);  // another scene's
    std::vector<uint8_t> bytes = Bytes();
    bytes.resize(bytes.size() - 4);
    Load(bytes);
    EXPECT_EQ(scene.drawStyleCount, 0);
    EXPECT_EQ(FindTexture("own.png"), nullptr);
    EXPECT_NE(FindTexture("shared.png"), nullptr);
    EXPECT_EQ(textureList->pNext, nullptr);
}

TEST_F(TextureSceneTest, ASoundSceneKeepsItsTexturesUntilItIsFreed) {
    Load(Bytes());
    ASSERT_EQ(scene.drawStyleCount, 3);
    EXPECT_NE(FindTexture("own.png"), nullptr);
    EXPECT_NE(FindTexture("shared.png"), nullptr);
    ASSERT_EQ(CreateTexture("other.png", 0, 0), 0);
    FreeScene(&scene);
    EXPECT_EQ(FindTexture("own.png"), nullptr);
    EXPECT_EQ(FindTexture("shared.png"), nullptr);
    EXPECT_NE(FindTexture("other.png"), nullptr);
}

}  // namespace
