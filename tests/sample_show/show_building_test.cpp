// The sample show's building blocks against the player's own conventions: the
// faces the mesh builder makes are the ones the player shows and lights from
// outside (or inside), the camera looks where it is told, and every picture
// file the writers make decodes in the player as it was drawn, bottom row first.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "data/archive_reader.h"
#include "sample_show/geometry.h"
#include "sample_show/image_files.h"
#include "scene/scene_reader.h"
#include "support/engine_fixture.h"
#include "texture/texture_container.h"

namespace tools = velmora::tools;
using tools::Vec3;

namespace {

class MeshBuildingTest : public velmora::testing::EngineTest {
protected:
    void TearDown() override {
        DiscardSceneData(&scene);
        while (textureList) delete textureList;
        EngineTest::TearDown();
    }
    // Reads the parts as one object through the player's scene reader, which
    // gives each vertex the normal of the side it draws.
    void Load(std::vector<tools::WriterPart> parts) {
        tools::SceneDescription description;
        description.ambient = {0};
        description.drawStyles.resize(1);
        tools::WriterObject object;
        object.name = "Mesh";
        object.parts = std::move(parts);
        object.matrices = {tools::IdentityMatrix()};
        description.objects.push_back(object);
        const std::vector<uint8_t> bytes = tools::SceneBytes(description);
        MemoryFile* file = NewMemoryFile("mesh.QX3", static_cast<int32_t>(bytes.size()));
        ASSERT_NE(file, nullptr);
        std::memcpy(file->data, bytes.data(), bytes.size());
        InitScene(&scene);
        ASSERT_EQ(ReadSceneData(file, &scene), 1);
        MemClose(file);
    }
    // Every vertex's drawn-side normal against the way it should face.
    template <typename Facing>
    void ExpectNormals(int32_t part, Facing facing) {
        const SceneObject& object = scene.objects[0];
        for (int32_t v = 0; v < object.partVertexCounts[part]; ++v) {
            const Vertex& vertex = object.partVertices[part][v];
            const Vec3 normal{vertex.nx, vertex.ny, vertex.nz};
            EXPECT_GT(tools::Dot(normal, facing(Vec3{vertex.x, vertex.y, vertex.z})), 0.1f)
                << "part " << part << " vertex " << v;
        }
    }
    Scene scene{};
};

TEST_F(MeshBuildingTest, BoxesTubesAndSpritesFaceTheSidesAskedFor) {
    tools::PartBuilder box(0);
    box.Box({1, 2, 3}, {3, 6, 4});
    tools::PartBuilder sprite(0);
    sprite.Sprite({0, 0, 5}, {2, 0, 0}, {0, 1, 0});
    auto straight = [](float t) { return tools::TubeRing{{0, 0, 10 * t}, {0, 1, 0}, 2.0f}; };
    Load({box.Take(), tools::TubePart(0, 4, 8, 0, 1, straight, true, 1, 1),
          tools::TubePart(0, 4, 8, 0, 1, straight, false, 1, 1), sprite.Take()});
    // The box from outside: each corner's normal points away from the centre.
    ExpectNormals(0, [](Vec3 p) { return tools::Normalised(p - Vec3{2, 4, 3.5f}); });
    // A tube from inside faces its axis, from outside away from it.
    ExpectNormals(1, [](Vec3 p) { return tools::Normalised(Vec3{-p.x, -p.y, 0}); });
    ExpectNormals(2, [](Vec3 p) { return tools::Normalised(Vec3{p.x, p.y, 0}); });
    // A sprite across x and up y is seen from -z, upright: v = 0 at its bottom.
    ExpectNormals(3, [](Vec3) { return Vec3{0, 0, -1}; });
    const SceneObject& object = scene.objects[0];
    for (int32_t v = 0; v < object.partVertexCounts[3]; ++v) {
        const Vertex& vertex = object.partVertices[3][v];
        EXPECT_EQ(vertex.tv, vertex.y > 0 ? 1.0f : 0.0f);
        EXPECT_EQ(vertex.tu, vertex.x > 0 ? 1.0f : 0.0f);
    }
}

TEST(CameraTest, LookAtPutsTheTargetAheadWithUpUp) {
    const Vec3 eye{3, 4, -10}, target{-2, 1, 6};
    const D3DMATRIX view = tools::LookAt(eye, target, {0, 1, 0});
    const Vec3 ahead = tools::Transformed(target, view);
    EXPECT_NEAR(ahead.x, 0.0f, 1e-4f);
    EXPECT_NEAR(ahead.y, 0.0f, 1e-4f);
    EXPECT_NEAR(ahead.z, tools::Length(target - eye), 1e-4f);
    // Seen from the eye looking along +z, +x is to the right and +y up.
    const D3DMATRIX straight = tools::LookAt({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    EXPECT_GT(tools::Transformed({1, 0, 0}, straight).x, 0.0f);
    EXPECT_GT(tools::Transformed({0, 1, 0}, straight).y, 0.0f);
    // A roll of a quarter turn lays world up along the picture's width.
    const Vec3 up = tools::Transformed({0, 1, 0}, tools::LookAt({0, 0, -10}, {0, 0, 0}, {0, 1, 0}, 1.5707964f));
    EXPECT_GT(std::fabs(up.x), 0.99f);
    EXPECT_NEAR(up.y, 0.0f, 1e-4f);
}

class PictureFileTest : public velmora::testing::EngineTest {
protected:
    // The file as the player decodes it: 0xRRGGBBAA words, bottom row first.
    bool Decode(const std::vector<uint8_t>& bytes, ImageFormat format, TextureContainer& texture) {
        MemoryFile* file = NewMemoryFile("picture", static_cast<int32_t>(bytes.size()));
        if (!file) return false;
        std::memcpy(file->data, bytes.data(), bytes.size());
        const HRESULT result = DecodeImageFile(&texture, file, format);
        MemClose(file);
        return result == 0;
    }
};

TEST_F(PictureFileTest, EveryFormatDecodesInThePlayerAsDrawn) {
    // Four coloured quarters, the top left one half clear.
    tools::Picture picture;
    picture.width = 16;
    picture.height = 8;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            picture.pixels.push_back(y < 4 ? (x < 8 ? 0x80FF2000u : 0xFF20FF00u) : (x < 8 ? 0xFF0020FFu : 0xFFFFFFFFu));
    struct Case {
        ImageFormat player;
        tools::ImageFormat writer;
        bool alpha;
        int tolerance;
    };
    const Case cases[] = {{ImageFormat::Bmp, tools::ImageFormat::Bmp, false, 0},
                          {ImageFormat::Tga, tools::ImageFormat::Tga, true, 0},
                          {ImageFormat::Tga, tools::ImageFormat::Tga, false, 0},
                          {ImageFormat::Jpg, tools::ImageFormat::Jpeg, false, 40},
                          {ImageFormat::Png, tools::ImageFormat::Png, true, 0},
                          {ImageFormat::Png, tools::ImageFormat::Png, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(tools::ImageExtension(c.writer)) + (c.alpha ? " with alpha" : ""));
        TextureContainer texture("picture", 0);
        ASSERT_TRUE(Decode(tools::EncodePicture(picture, c.writer, c.alpha), c.player, texture));
        ASSERT_EQ(texture.dwWidth, 16u);
        ASSERT_EQ(texture.dwHeight, 8u);
        EXPECT_EQ(texture.bAlpha, c.alpha ? 1 : 0);
        for (int y = 1; y < 8; y += 5)
            for (int x = 2; x < 16; x += 11) {
                const uint32_t want = picture.At(x, y);
                const DWORD got = texture.pPixels[static_cast<size_t>(7 - y) * 16 + x];
                for (int shift : {16, 8, 0})
                    EXPECT_NEAR(static_cast<int>((got >> (shift + 8)) & 255), static_cast<int>((want >> shift) & 255),
                                c.tolerance)
                        << x << ", " << y;
                EXPECT_EQ(got & 255, c.alpha ? want >> 24 : 255u) << x << ", " << y;
            }
    }
}

TEST(HalvedTest, AveragesTrueColourAndPicksPaletteIndices) {
    tools::Picture checker;
    checker.width = checker.height = 4;
    for (int i = 0; i < 16; ++i) checker.pixels.push_back(((i + i / 4) % 2) ? 0xFFFFFFFFu : 0x00000000u);
    const tools::Picture half = tools::Halved(checker);
    ASSERT_EQ(half.width, 2);
    for (uint32_t pixel : half.pixels) EXPECT_EQ(pixel, 0x80808080u);
    EXPECT_EQ(tools::Halved(checker, 2).width, 1);

    tools::IndexedPicture indexed;
    indexed.width = indexed.height = 4;
    for (int i = 0; i < 16; ++i) indexed.indices.push_back(static_cast<uint8_t>(i));
    const tools::IndexedPicture small = tools::Halved(indexed);
    EXPECT_EQ(small.indices, (std::vector<uint8_t>{0, 2, 8, 10}));
}

}  // namespace
