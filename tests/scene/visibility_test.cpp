// Visibility files: their order (camera, frame, object), the bit order within
// a byte, and files that are missing or short.
#include "scene/visibility.h"

#include <gtest/gtest.h>

#include "scene/scene_fixture.h"
#include "scene_writer/sample_scenes.h"

using namespace velmora::tools;
using velmora::testing::SceneTest;

namespace {

// Two cameras, three frames, objects of 1 and 9 parts: 2 x 3 x (1 + 2) bytes.
SceneDescription NinePartScene() {
    SceneDescription d = EveryNodeScene();
    d.lights.clear();
    d.shapes.clear();
    d.helpers.clear();
    d.nodeOrder.clear();
    WriterObject& many = d.objects[1];
    many.parts.resize(9, many.parts[0]);
    return d;
}

using VisibilityTest = SceneTest;

TEST_F(VisibilityTest, FileOrderIsCameraThenFrameThenObject) {
    std::vector<uint8_t> bytes(18);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    WriteBytes("scene.VIS", bytes);
    Load(NinePartScene());
    ASSERT_EQ(scene.cameraCount, 2);
    ASSERT_EQ(scene.frameCount, 3);
    ASSERT_EQ(scene.objects[1].partCount, 9);
    // The fourth byte belongs to camera 0, frame 1, object 0.
    EXPECT_EQ(scene.cameras[0].visibility[0][1], 4);
    // Camera 0, frame 0, object 1 holds bytes 2 and 3.
    EXPECT_EQ(scene.cameras[0].visibility[1][0], 2);
    EXPECT_EQ(scene.cameras[0].visibility[1][1], 3);
    // Camera 1, frame 2, object 1 holds the last two bytes.
    EXPECT_EQ(scene.cameras[1].visibility[1][4], 17);
    EXPECT_EQ(scene.cameras[1].visibility[1][5], 18);
    EXPECT_EQ(scene.cameras[1].visibility[0][0], 10);
}

TEST_F(VisibilityTest, PartKIsBitKMod8OfByteKDiv8) {
    // Camera 0 frame 0: object 0 byte 0x05, object 1 bytes 0x00 0x01.
    std::vector<uint8_t> bytes(18, 0);
    bytes[0] = 0x05;
    bytes[2] = 0x01;
    WriteBytes("scene.VIS", bytes);
    SceneDescription d = NinePartScene();
    d.objects[0].parts.resize(3, d.objects[0].parts[0]);
    Load(d);
    ASSERT_EQ(scene.objects[0].partCount, 3);
    EXPECT_TRUE(PartVisible(&scene, 0, 0, 0, 0));
    EXPECT_FALSE(PartVisible(&scene, 0, 0, 0, 1));
    EXPECT_TRUE(PartVisible(&scene, 0, 0, 0, 2));
    for (int p = 0; p < 8; ++p) EXPECT_FALSE(PartVisible(&scene, 0, 1, 0, p)) << p;
    EXPECT_TRUE(PartVisible(&scene, 0, 1, 0, 8));
}

TEST_F(VisibilityTest, WriterAndReaderAgreeOnEveryBit) {
    SceneDescription d = EveryNodeScene();
    WriteBytes("scene.VIS", VisibilityBytes(d, SampleVisibility));
    Load(d);
    ASSERT_EQ(scene.objectCount, 2);
    // The sample scene holds its second camera first.
    const std::vector<int32_t> cameras = NodesInFileOrder(d, NodeKind::Camera);
    const std::vector<int32_t> objects = NodesInFileOrder(d, NodeKind::Object);
    ASSERT_EQ(cameras, (std::vector<int32_t>{1, 0}));
    for (int32_t c = 0; c < scene.cameraCount; ++c)
        for (int32_t f = 0; f < scene.frameCount; ++f)
            for (int32_t o = 0; o < scene.objectCount; ++o)
                for (int32_t p = 0; p < scene.objects[o].partCount; ++p)
                    EXPECT_EQ(PartVisible(&scene, c, o, f, p),
                              SampleVisibility(cameras[c], f, objects[o], p))
                        << c << " " << f << " " << o << " " << p;
}

TEST_F(VisibilityTest, MissingBytesOfAShortFileCountAsVisible) {
    WriteBytes("scene.VIS", {0x00, 0x00, 0x00, 0x00, 0x00});
    Load(NinePartScene());
    EXPECT_EQ(scene.cameras[0].visibility[0][1], 0x00);  // byte 3
    EXPECT_EQ(scene.cameras[0].visibility[1][2], 0x00);  // byte 4, the last one there
    EXPECT_EQ(scene.cameras[0].visibility[1][3], 0xFF);  // byte 5 on
    EXPECT_EQ(scene.cameras[0].visibility[0][2], 0xFF);
    EXPECT_EQ(scene.cameras[1].visibility[1][5], 0xFF);
}

TEST_F(VisibilityTest, WithoutAFileEveryPartIsVisible) {
    Load(NinePartScene());
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t f = 0; f < 3; ++f)
            for (int32_t o = 0; o < 2; ++o)
                for (int32_t p = 0; p < scene.objects[o].partCount; ++p)
                    EXPECT_TRUE(PartVisible(&scene, c, o, f, p));
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"ERROR:\t\tscene.VIS\tfile not found in datafile", "",
                                        "Visability:\t\t\t\tinit done",
                                        "Visability:\t\t\t\tscene.VIS, read visability done"}));
}

TEST_F(VisibilityTest, BytesBeyondTheSceneAreIgnored) {
    std::vector<uint8_t> bytes(40, 0x00);
    WriteBytes("scene.VIS", bytes);
    Load(NinePartScene());
    EXPECT_EQ(scene.cameras[1].visibility[1][5], 0x00);
    EXPECT_FALSE(PartVisible(&scene, 1, 1, 2, 8));
}

}  // namespace
