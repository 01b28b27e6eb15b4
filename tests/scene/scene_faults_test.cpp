// Damaged scene files: the scene stays empty, one ERROR line names the file,
// and nothing is read or written outside the file and the arrays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "diag/memory_counters.h"
#include "scene/scene_fixture.h"
#include "scene/scene_reader.h"
#include "scene/visibility.h"
#include "scene_writer/sample_scenes.h"

using namespace velmora::tools;
using velmora::testing::SceneTest;

namespace {

class SceneFaultTest : public SceneTest {
protected:
    // Loads the bytes and expects the empty scene and the one error line.
    void ExpectUnreadable(const std::vector<uint8_t>& bytes, const std::string& what) {
        SCOPED_TRACE(what);
        FreeScene(&scene);
        ClearLog();
        WriteBytes("bad.QX3", bytes);
        LoadFile("bad.QX3");
        EXPECT_EQ(scene.objectCount, 0);
        EXPECT_EQ(scene.cameraCount, 0);
        EXPECT_EQ(scene.lightCount, 0);
        EXPECT_EQ(scene.drawStyleCount, 0);
        EXPECT_EQ(scene.frameCount, 0);
        EXPECT_EQ(scene.objects, nullptr);
        EXPECT_EQ(scene.cameras, nullptr);
        EXPECT_EQ(scene.drawStyles, nullptr);
        EXPECT_EQ(scene.frameAmbient, nullptr);
        EXPECT_STREQ(scene.fileName, "bad.QX3");
        // Besides the lookup's own line for every file served from disk.
        std::vector<std::string> errors;
        for (const std::string& line : LogLinesStarting("ERROR:"))
            if (line.find("\tfile not found in datafile") == std::string::npos) errors.push_back(line);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "ERROR:\t\tbad.QX3\tQX3file damaged, scene left empty");
    }

    // The offset of the first occurrence of a byte pattern.
    static size_t Find(const std::vector<uint8_t>& bytes, const std::string& text) {
        auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
        return static_cast<size_t>(at - bytes.begin());
    }
    static void Put(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
        ASSERT_LE(offset + 4, bytes.size());
        std::memcpy(&bytes[offset], &value, 4);
    }
};

TEST_F(SceneFaultTest, EveryShortenedFileIsUnreadable) {
    std::vector<uint8_t> whole = SceneBytes(EveryNodeScene());
    // Cutting anywhere but after the last byte loses part of the last node,
    // whose final bytes are numbers.
    for (size_t length = 0; length < whole.size(); ++length)
        ExpectUnreadable(std::vector<uint8_t>(whole.begin(), whole.begin() + length),
                         "cut to " + std::to_string(length));
    FreeScene(&scene);
    WriteBytes("whole.QX3", whole);
    LoadFile("whole.QX3");
    EXPECT_EQ(scene.objectCount, 2);
}

TEST_F(SceneFaultTest, CountsLargerThanTheFileAreRefusedBeforeAllocating) {
    SceneDescription d = OneFrameScene();
    const std::vector<uint8_t> good = SceneBytes(d);
    // Frame count, draw style count, then the five node counts.
    const size_t frameAt = 0;
    const size_t drawStyleAt = 4 + 4;
    const size_t countsAt = Find(good, "stone.bmp\r\n") + 11;
    for (int32_t huge : {0x7FFFFFFF, 0x10000000, -2}) {
        std::vector<uint8_t> bytes = good;
        Put(bytes, frameAt, huge);
        ExpectUnreadable(bytes, "last frame " + std::to_string(huge));
        bytes = good;
        Put(bytes, drawStyleAt, huge);
        ExpectUnreadable(bytes, "draw styles " + std::to_string(huge));
        for (int k = 0; k < 5; ++k) {
            bytes = good;
            Put(bytes, countsAt + 4 * k, huge);
            ExpectUnreadable(bytes, "node count " + std::to_string(k) + " = " + std::to_string(huge));
        }
    }
    // Nothing near the bogus sizes was taken.
    EXPECT_LT(animationMemoryCounter, 1 << 20);
    EXPECT_LT(generalMemoryCounter, 1 << 20);
}

TEST_F(SceneFaultTest, VisibilityFarBeyondWhatTheFileDescribesIsRefused) {
    // One camera over many frames and many objects of one empty part: each is
    // cheap in the file, but the visibility is their product.
    auto crafted = [](int32_t frames, int32_t objects) {
        SceneDescription d;
        d.frameCount = frames;
        d.ambient.assign(frames, 0);
        d.drawStyles = {{1, 1, 1, 0, ""}};
        WriterCamera camera{"Camera01", std::vector<float>(frames, 0.7854f),
                            std::vector<D3DMATRIX>(frames, IdentityMatrix())};
        d.cameras.push_back(camera);
        WriterObject object;
        object.name = "o";
        object.parts.resize(1);
        object.matrices = {IdentityMatrix()};
        d.objects.assign(objects, object);
        return SceneBytes(d);
    };
    // 20,000 frames of 8,000 objects: 160 MB of bits from a file of about 1.7 MB.
    std::vector<uint8_t> bytes = crafted(20000, 8000);
    ASSERT_LT(bytes.size(), 2u << 20);
    ExpectUnreadable(bytes, "160 MB of visibility");
    EXPECT_LT(generalMemoryCounter, 16 << 20);

    // A tenth of the frames stays inside the share and loads, in one block
    // per camera.
    FreeScene(&scene);
    generalMemoryCounter = 0;
    WriteBytes("fits.QX3", crafted(2000, 8000));
    LoadFile("fits.QX3");
    ASSERT_EQ(scene.objectCount, 8000);
    ASSERT_EQ(scene.frameCount, 2000);
    EXPECT_EQ(SceneVisibilityBytes(&scene), 2000 * 8000);
    EXPECT_EQ(scene.cameras[0].visibility[1], scene.cameras[0].visibility[0] + 2000);
    EXPECT_TRUE(PartVisible(&scene, 0, 7999, 1999, 0));
}

TEST_F(SceneFaultTest, PartVertexAndPolygonCountsLargerThanTheFile) {
    SceneDescription d = OneFrameScene();
    const std::vector<uint8_t> good = SceneBytes(d);
    const size_t partCountAt = Find(good, "*GEOMOBJECT\r\nCube\r\n\r\n") + 21;
    const size_t vertexCountAt = partCountAt + 8;
    const size_t polygonCountAt = vertexCountAt + 4 + 24 * 20 + 4;
    for (int32_t huge : {0x7FFFFFFF, 0x01000000, -1}) {
        for (size_t at : {partCountAt, vertexCountAt, polygonCountAt}) {
            std::vector<uint8_t> bytes = good;
            Put(bytes, at, huge);
            ExpectUnreadable(bytes, "count at " + std::to_string(at) + " = " + std::to_string(huge));
        }
    }
}

TEST_F(SceneFaultTest, IndicesOutsideTheirArrays) {
    SceneDescription d = OneFrameScene();
    SceneDescription bad = d;
    bad.objects[0].parts[0].drawStyle = 1;  // one draw style only
    ExpectUnreadable(SceneBytes(bad), "vertex block draw style 1");
    bad = d;
    bad.objects[0].parts[0].drawStyle = -1;
    bad.objects[0].parts[0].polygonDrawStyle = 0;
    ExpectUnreadable(SceneBytes(bad), "vertex block draw style -1");
    bad = d;
    bad.objects[0].parts[0].polygonDrawStyle = 7;
    ExpectUnreadable(SceneBytes(bad), "polygon block draw style 7");
    bad = d;
    bad.objects[0].parts[0].polygons[11][2] = 24;  // 24 vertices
    ExpectUnreadable(SceneBytes(bad), "vertex index 24");
    bad = d;
    bad.objects[0].parts[0].polygons[3][0] = 65536 + 30;  // low bits still too large
    ExpectUnreadable(SceneBytes(bad), "vertex index 65536 + 30");
    bad = d;
    bad.objects[0].parts[0].polygons[3][0] = 65536 + 23;  // the low bits name vertex 23
    FreeScene(&scene);
    WriteBytes("fine.QX3", SceneBytes(bad));
    LoadFile("fine.QX3");
    EXPECT_EQ(scene.objectCount, 1);
}

TEST_F(SceneFaultTest, MoreOrFewerNodesOfAKindThanItsCount) {
    SceneDescription d = OneFrameScene();
    // A long type string keeps the file large enough for all its counts, so
    // that only the node kinds tell.
    d.shapes = {"*SHAPE" + std::string(300, 'x')};
    SceneDescription bad = d;
    // Two geometry nodes where the count says one (the shape slot is used).
    bad.nodeOrder = {{NodeKind::Object, 0}, {NodeKind::Object, 0}, {NodeKind::Camera, 0},
                     {NodeKind::Light, 0}};
    ExpectUnreadable(SceneBytes(bad), "two objects for one");
    bad.nodeOrder = {{NodeKind::Object, 0}, {NodeKind::Camera, 0}, {NodeKind::Camera, 0},
                     {NodeKind::Light, 0}};
    ExpectUnreadable(SceneBytes(bad), "two cameras for one");
    bad.nodeOrder = {{NodeKind::Object, 0}, {NodeKind::Camera, 0}, {NodeKind::Light, 0},
                     {NodeKind::Light, 0}};
    ExpectUnreadable(SceneBytes(bad), "two lights for one");
    // One shape too many in place of a node of another kind: that record
    // would stay unread.
    bad.nodeOrder = {{NodeKind::Object, 0}, {NodeKind::Camera, 0}, {NodeKind::Shape, 0},
                     {NodeKind::Shape, 0}};
    ExpectUnreadable(SceneBytes(bad), "a shape in place of the light");
    bad.nodeOrder = {{NodeKind::Shape, 0}, {NodeKind::Camera, 0}, {NodeKind::Light, 0},
                     {NodeKind::Shape, 0}};
    ExpectUnreadable(SceneBytes(bad), "a shape in place of the object");
    bad.nodeOrder = {{NodeKind::Object, 0}, {NodeKind::Shape, 0}, {NodeKind::Light, 0},
                     {NodeKind::Shape, 0}};
    ExpectUnreadable(SceneBytes(bad), "a shape in place of the camera");
}

TEST_F(SceneFaultTest, AFrameCountBelowOneIsUnreadable) {
    SceneDescription d = OneFrameScene();
    d.frameCount = 0;
    d.ambient.clear();
    d.cameras[0].fov.clear();
    d.cameras[0].matrices.clear();
    ExpectUnreadable(SceneBytes(d), "no frame");
}

TEST_F(SceneFaultTest, ReadingFromMemoryLeavesNothingBehindOnAFault) {
    // The same reader the fuzz target drives: a fault part-way through an
    // object frees everything taken so far (the leak checker sees the rest).
    std::vector<uint8_t> bytes = SceneBytes(EveryNodeScene());
    bytes.resize(bytes.size() - 3);
    MemoryFile* file = static_cast<MemoryFile*>(std::malloc(sizeof(MemoryFile)));
    file->name = strdup("memory");
    file->size = static_cast<int32_t>(bytes.size());
    file->position = 0;
    file->data = static_cast<uint8_t*>(std::malloc(bytes.size()));
    std::memcpy(file->data, bytes.data(), bytes.size());
    Scene local{};
    InitScene(&local);
    EXPECT_EQ(ReadSceneData(file, &local), 0);
    MemClose(file);
    EXPECT_TRUE(SceneIsEmpty(&local));
}

}  // namespace
