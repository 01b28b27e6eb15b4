// The visibility generator: the file layout against the engine's reader, and
// what OpenGL offscreen finds visible in small scenes built for the purpose.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "qxvis/visibility_bits.h"
#include "qxvis/visibility_generator.h"
#include "scene/scene_reader.h"
#include "scene/visibility.h"
#include "scene_writer/sample_scenes.h"
#include "scene_writer/scene_writer.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::tools;
using velmora::testing::FileExists;
using velmora::testing::MakeTempDirectory;
using velmora::testing::ReadFile;
using velmora::testing::RunProgram;

namespace {

// cot(fov / 2) for the field of view the tests' cameras use, and the screen
// x of a point at eye x, z with the engine's projection at 640x480 (aspect 1).
const float kFov = 0.7854f;
const double kCotangent = 1.0 / std::tan(kFov / 2.0);
double PixelsToEyeX(double pixels, double z) { return pixels * (2.0 / 640.0) * z / kCotangent; }

// An axis-aligned box from (x0, y0, z0) to (x1, y1, z1) as one part.
WriterPart Box(float x0, float y0, float z0, float x1, float y1, float z1, int32_t drawStyle) {
    WriterPart part = CubeObject("", 1.0f, drawStyle).parts[0];
    for (WriterVertex& v : part.vertices) {
        v.x = (x0 + x1) / 2 + v.x * (x1 - x0);
        v.y = (y0 + y1) / 2 + v.y * (y1 - y0);
        v.z = (z0 + z1) / 2 + v.z * (z1 - z0);
    }
    return part;
}

// A cube of edge 0.5 around (x, y, z).
WriterPart Cube(float x, float y, float z, int32_t drawStyle = 0) {
    return Box(x - 0.25f, y - 0.25f, z - 0.25f, x + 0.25f, y + 0.25f, z + 0.25f, drawStyle);
}

WriterObject Object(const std::string& name, std::vector<WriterPart> parts) {
    WriterObject object;
    object.name = name;
    object.parts = std::move(parts);
    object.matrices = {IdentityMatrix()};
    return object;
}

// One frame, draw style 0 opaque and 1 half transparent, a camera at the
// origin looking along +z.
SceneDescription Stage(int32_t frames = 1) {
    SceneDescription scene;
    scene.frameCount = frames;
    scene.ambient.assign(frames, 0x404040);
    scene.drawStyles.resize(2);
    scene.drawStyles[1].transparency = 0.5f;
    WriterCamera camera;
    camera.name = "Front";
    camera.fov.assign(frames, kFov);
    camera.matrices.assign(frames, IdentityMatrix());
    scene.cameras.push_back(camera);
    return scene;
}

class QxvisTest : public ::testing::Test {
protected:
    void SetUp() override { directory = MakeTempDirectory(); }
    void TearDown() override {
        DiscardSceneData(&scene);
        FreeBits();
    }
    void FreeBits() { bits.reset(); }

    // Writes the description, reads it as the engine does and works out its
    // visibility.
    void Generate(const SceneDescription& description, GeneratorOptions options = {}) {
        DiscardSceneData(&scene);
        std::string error;
        const std::string path = directory + "/scene.QX3";
        ASSERT_TRUE(WriteSceneFile(path, description, &error)) << error;
        MemoryFile* file = OpenDataFile(path.c_str());
        ASSERT_NE(file, nullptr);
        scene = Scene{};
        InitScene(&scene);
        ASSERT_EQ(ReadSceneData(file, &scene), 1);
        MemClose(file);
        bits = std::make_unique<VisibilityBits>(scene);
        std::string why;
        ASSERT_TRUE(GenerateVisibility(scene, options, *bits, nullptr, why)) << why;
    }
    bool Seen(int32_t c, int32_t f, int32_t o, int32_t p = 0) const { return bits->Get(c, f, o, p); }

    std::string directory;
    Scene scene{};
    std::unique_ptr<VisibilityBits> bits;
};

// The layout: sizes and offsets of the file, and bits that the engine's own
// reader finds where they were set.
TEST_F(QxvisTest, LayoutIsCameraFrameObjectWithLowBitFirstAsTheEngineReadsIt) {
    SceneDescription description = Stage(3);
    description.cameras.push_back(description.cameras[0]);
    description.cameras[1].name = "Back";
    description.objects.push_back(Object("One", {Cube(0, 0, 50)}));
    std::vector<WriterPart> nine;
    for (int k = 0; k < 9; ++k) nine.push_back(Cube(static_cast<float>(k), 0, 60));
    description.objects.push_back(Object("Nine", nine));
    std::string error;
    const std::string path = directory + "/layout.QX3";
    ASSERT_TRUE(WriteSceneFile(path, description, &error)) << error;
    MemoryFile* file = OpenDataFile(path.c_str());
    ASSERT_NE(file, nullptr);
    InitScene(&scene);
    ASSERT_EQ(ReadSceneData(file, &scene), 1);
    MemClose(file);

    VisibilityBits layout(scene);
    // 2 cameras x 3 frames x (1 + 2) bytes.
    ASSERT_EQ(layout.bytes().size(), 18u);
    EXPECT_EQ(layout.frameBytes(), 3);
    // The fourth byte belongs to camera 0, frame 1, object 0.
    EXPECT_EQ(layout.Offset(0, 1, 0), 3);
    EXPECT_EQ(layout.Offset(1, 0, 1), 10);
    // Part 8 of nine is bit 0 (mask 1) of the second byte.
    layout.Set(1, 2, 1, 8);
    EXPECT_EQ(layout.bytes()[layout.Offset(1, 2, 1) + 1], 0x01);
    EXPECT_EQ(layout.bytes()[layout.Offset(1, 2, 1)], 0x00);
    layout.Set(0, 1, 1, 2);
    layout.Set(0, 1, 1, 0);
    EXPECT_EQ(layout.bytes()[layout.Offset(0, 1, 1)], 0x05);
    layout.Set(0, 2, 0, 0);

    const std::string visPath = directory + "/layout.VIS";
    FILE* out = std::fopen(visPath.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(layout.bytes().data(), 1, layout.bytes().size(), out);
    std::fclose(out);
    ASSERT_EQ(ReadVisibility(&scene, visPath.c_str()), 1);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t f = 0; f < 3; ++f)
            for (int32_t o = 0; o < 2; ++o)
                for (int32_t p = 0; p < scene.objects[o].partCount; ++p)
                    EXPECT_EQ(PartVisible(&scene, c, o, f, p), layout.Get(c, f, o, p))
                        << "camera " << c << " frame " << f << " object " << o << " part " << p;
    EXPECT_TRUE(PartVisible(&scene, 1, 1, 2, 8));
    EXPECT_TRUE(PartVisible(&scene, 0, 0, 2, 0));
    EXPECT_FALSE(PartVisible(&scene, 0, 0, 1, 0));
}

// Opaque parts: hidden behind a wall, beside it, outside the view, seen from
// a second camera behind them; part 8 of a nine-part object lands in bit 0 of
// its second byte.
TEST_F(QxvisTest, OpaquePartsBehindAWallAreClearAndWhatTheCamerasSeeIsSet) {
    SceneDescription description = Stage();
    WriterCamera back = description.cameras[0];
    back.name = "Back";
    // At (0, 0, 30) looking along -z: turned half-way round the y axis.
    D3DMATRIX view = IdentityMatrix();
    view._11 = -1.0f;
    view._33 = -1.0f;
    view._43 = 30.0f;
    back.matrices = {view};
    description.cameras.push_back(back);
    description.objects.push_back(Object("Wall", {Box(-2, -2, 9.5f, 2, 2, 10.5f, 0)}));
    std::vector<WriterPart> things;
    for (int k = 0; k < 8; ++k) things.push_back(Cube(-1.5f + 3.0f * k / 7.0f, 0, 20));
    things.push_back(Cube(3.0f, 2.5f, 12.0f));  // beside the wall
    description.objects.push_back(Object("Things", things));
    description.objects.push_back(Object("Far", {Cube(30, 0, 10)}));
    Generate(description);

    EXPECT_TRUE(Seen(0, 0, 0));
    for (int p = 0; p < 8; ++p) EXPECT_FALSE(Seen(0, 0, 1, p)) << "part " << p;
    EXPECT_TRUE(Seen(0, 0, 1, 8));
    EXPECT_EQ(bits->bytes()[bits->Offset(0, 0, 1)], 0x00);
    EXPECT_EQ(bits->bytes()[bits->Offset(0, 0, 1) + 1], 0x01);
    EXPECT_FALSE(Seen(0, 0, 2));
    // From behind, the things are in front of the wall.
    EXPECT_TRUE(Seen(1, 0, 0));
    for (int p = 0; p < 9; ++p) EXPECT_TRUE(Seen(1, 0, 1, p)) << "part " << p;
    EXPECT_FALSE(Seen(1, 0, 2));
}

// A one-sided wall hides only when its front faces the camera, as the
// renderer's clockwise culling draws it.
TEST_F(QxvisTest, ACulledBackFaceHidesNothing) {
    SceneDescription description = Stage();
    WriterPart facing = Box(-3, -1, 9.5f, -0.5f, 1, 10.5f, 0);
    WriterPart away = Box(0.5f, -1, 9.5f, 3, 1, 10.5f, 0);
    // Keep only the -z face (towards the camera) of one and the +z face of the other.
    auto keepFace = [](WriterPart& part, int face) {
        part.vertices.assign(part.vertices.begin() + 4 * face, part.vertices.begin() + 4 * face + 4);
        part.polygons = {{0, 1, 2}, {0, 2, 3}};
    };
    keepFace(facing, 5);
    keepFace(away, 4);
    description.objects.push_back(Object("Facing", {facing}));
    description.objects.push_back(Object("Away", {away}));
    description.objects.push_back(Object("BehindFacing", {Cube(-1.75f, 0, 20)}));
    description.objects.push_back(Object("BehindAway", {Cube(1.75f, 0, 20)}));
    Generate(description);
    EXPECT_TRUE(Seen(0, 0, 0));
    EXPECT_FALSE(Seen(0, 0, 1));
    EXPECT_FALSE(Seen(0, 0, 2));
    EXPECT_TRUE(Seen(0, 0, 3));
}

// Parts that are not opaque neither hide anything nor show up in the part
// numbers: they are tested against the opaque depth.
TEST_F(QxvisTest, TranslucentPartsAreSetBehindGlassAndClearBehindAWall) {
    SceneDescription description = Stage();
    description.objects.push_back(Object("Glass", {Box(-3.5f, -2, 9.5f, -0.5f, 2, 10.5f, 1)}));
    description.objects.push_back(Object("Wall", {Box(0.5f, -2, 9.5f, 3.5f, 2, 10.5f, 0)}));
    description.objects.push_back(Object("GlassBehindGlass", {Cube(-2, 0, 20, 1)}));
    description.objects.push_back(Object("SolidBehindGlass", {Cube(-1.2f, 0, 20, 0)}));
    description.objects.push_back(Object("GlassBehindWall", {Cube(2, 0, 20, 1)}));
    description.objects.push_back(Object("GlassOutside", {Cube(-30, 0, 20, 1)}));
    Generate(description);
    EXPECT_TRUE(Seen(0, 0, 0));
    EXPECT_TRUE(Seen(0, 0, 1));
    EXPECT_TRUE(Seen(0, 0, 2));
    EXPECT_TRUE(Seen(0, 0, 3));
    EXPECT_FALSE(Seen(0, 0, 4));
    EXPECT_FALSE(Seen(0, 0, 5));
}

// A cube two pixels beyond the image's right edge and one two pixels behind
// a wall's edge: only a margin of more than two pixels reaches them.
TEST_F(QxvisTest, TheMarginReachesPartsJustOutsideTheImageAndJustBehindAnEdge) {
    SceneDescription description = Stage();
    // The cube's left side at its back (z = 20.25), where it comes nearest to
    // the middle, lies two pixels right of the image.
    const double left = PixelsToEyeX(320 + 2, 20.25);
    description.objects.push_back(Object("BeyondEdge", {Cube(static_cast<float>(left + 0.25), 0, 20)}));
    // The wall's right side is the image's middle column; the cube's right
    // side at its back (z = 20.25) lies two pixels left of it.
    description.objects.push_back(Object("Wall", {Box(-3, -2, 9.5f, 0, 2, 10.5f, 0)}));
    const double right = -PixelsToEyeX(2, 20.25);
    description.objects.push_back(Object("BehindEdge", {Cube(static_cast<float>(right - 0.25), 0, 20)}));
    description.objects.push_back(Object("GlassBehindEdge", {Cube(static_cast<float>(right - 0.25), 1, 20, 1)}));

    GeneratorOptions none;
    none.margin = 0;
    Generate(description, none);
    EXPECT_FALSE(Seen(0, 0, 0));
    EXPECT_TRUE(Seen(0, 0, 1));
    EXPECT_FALSE(Seen(0, 0, 2));
    EXPECT_FALSE(Seen(0, 0, 3));

    GeneratorOptions one;
    one.margin = 1;
    Generate(description, one);
    EXPECT_FALSE(Seen(0, 0, 0));
    EXPECT_FALSE(Seen(0, 0, 2));

    GeneratorOptions four;
    four.margin = 4;
    Generate(description, four);
    EXPECT_TRUE(Seen(0, 0, 0));
    EXPECT_TRUE(Seen(0, 0, 1));
    EXPECT_TRUE(Seen(0, 0, 2));
    EXPECT_TRUE(Seen(0, 0, 3));
}

// The renderer blends each frame towards the next one (the last towards the
// first), testing the bits of the earlier frame: an object that comes into
// view only in the next frame is set for this one too.
TEST_F(QxvisTest, AFrameCoversTheWayToTheNextFrame) {
    SceneDescription description = Stage(3);
    WriterObject mover = Object("Mover", {Cube(0, 0, 20)});
    mover.animated = true;
    mover.matrices = {TranslationMatrix(0, 0, 0), TranslationMatrix(100, 0, 0), TranslationMatrix(200, 0, 0)};
    description.objects.push_back(mover);
    GeneratorOptions still;
    still.steps = 1;
    Generate(description, still);
    EXPECT_TRUE(Seen(0, 0, 0));
    EXPECT_FALSE(Seen(0, 1, 0));
    EXPECT_FALSE(Seen(0, 2, 0));
    Generate(description);
    EXPECT_TRUE(Seen(0, 0, 0));
    EXPECT_FALSE(Seen(0, 1, 0));
    EXPECT_TRUE(Seen(0, 2, 0));  // on its way back to frame 0
}

// The program: arguments, faulty input, the file under its final name only.
class QxvisProgramTest : public ::testing::Test {
protected:
    void SetUp() override { directory = MakeTempDirectory(); }
    velmora::testing::ProgramResult Run(const std::vector<std::string>& arguments) {
        return RunProgram(QXVIS_PROGRAM, arguments, directory, {{"DISPLAY", ""}}, 120.0);
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        DIR* folder = opendir(directory.c_str());
        while (dirent* entry = readdir(folder))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(folder);
        std::sort(names.begin(), names.end());
        return names;
    }
    void ExpectRefused(const std::vector<std::string>& arguments, const std::string& says) {
        velmora::testing::ProgramResult result = Run(arguments);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitStatus, 2) << result.standardError;
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << result.standardError;
        EXPECT_NE(result.standardError.find(says), std::string::npos) << result.standardError;
    }
    std::string directory;
};

TEST_F(QxvisProgramTest, WritesTheFileBesideTheSceneAndRefusesBadInput) {
    SceneDescription description = Stage(2);
    description.objects.push_back(Object("Wall", {Box(-2, -2, 9.5f, 2, 2, 10.5f, 0)}));
    std::vector<WriterPart> nine;
    for (int k = 0; k < 9; ++k) nine.push_back(Cube(-1 + 0.25f * k, 0, 20));
    description.objects.push_back(Object("Hidden", nine));
    std::string error;
    ASSERT_TRUE(WriteSceneFile(directory + "/room.qx3", description, &error)) << error;
    std::vector<uint8_t> bytes = SceneBytes(description);
    bytes.resize(bytes.size() / 2);
    FILE* cut = std::fopen((directory + "/cut.QX3").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), cut);
    std::fclose(cut);

    ExpectRefused({}, "usage: qxvis");
    ExpectRefused({"room.qx3", "--size", "640"}, "--size");
    ExpectRefused({"room.qx3", "--size", "0x480"}, "--size");
    ExpectRefused({"room.qx3", "--margin", "-1"}, "--margin");
    ExpectRefused({"room.qx3", "--bogus"}, "unknown option --bogus");
    ExpectRefused({"room.qx3", "-o"}, "-o");
    ExpectRefused({"missing.QX3"}, "missing.QX3 cannot be opened");
    ExpectRefused({"cut.QX3"}, "cut.QX3 is damaged");
    EXPECT_EQ(Files(), (std::vector<std::string>{"cut.QX3", "room.qx3"}));

    velmora::testing::ProgramResult result = Run({"room.qx3", "--size", "320x240"});
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(Files(), (std::vector<std::string>{"cut.QX3", "room.VIS", "room.qx3"}));
    // 1 camera x 2 frames x (1 + 2) bytes: the wall seen, the nine cubes behind it not.
    EXPECT_EQ(ReadFile(directory + "/room.VIS"), std::string("\x01\x00\x00\x01\x00\x00", 6));

    result = Run({"room.qx3", "-o", "other.vis", "--margin", "0"});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(ReadFile(directory + "/other.vis").size(), 6u);
    // A file that cannot be written under its name leaves nothing behind.
    ExpectRefused({"room.qx3", "-o", "no/such/folder.VIS"}, "");
}

// The rooms behind walls: the player's frames with the generated file are the
// frames with every part visible, blur trails included, while most part
// draws are saved.
TEST_F(QxvisProgramTest, FramesWithTheGeneratedFileMatchFramesWithEveryPartVisible) {
    std::string error;
    ASSERT_TRUE(WriteSceneFile(directory + "/walls.QX3", WallsScene(), &error)) << error;
    velmora::testing::ProgramResult made = Run({"walls.QX3"});
    ASSERT_EQ(made.exitStatus, 0) << made.standardError;
    for (const char* blur : {"1", "3"}) {
        velmora::testing::ProgramResult checked =
            RunProgram(QXVIS_CHECK_PROGRAM, {"walls.QX3", "--steps", "2", "--rounds", "1",
                                             "--blur", blur},
                       directory, {{"DISPLAY", ""}}, 300.0);
        ASSERT_TRUE(checked.finished);
        EXPECT_EQ(checked.exitStatus, 0) << "blur " << blur << ": " << checked.standardError;
    }
    // Half the scene's part draws at least are hidden.
    std::string bytes = ReadFile(directory + "/walls.VIS");
    size_t set = 0;
    for (unsigned char b : bytes) set += __builtin_popcount(b);
    EXPECT_GT(bytes.size(), 0u);
    EXPECT_LT(set, bytes.size() * 8 / 2);
}

}  // namespace
