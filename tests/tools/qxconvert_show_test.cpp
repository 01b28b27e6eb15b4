// Converted scenes on the screen: a glTF scene made into a show with
// qxconvert, packed with qxpack and played by the player, its frames captured
// and one compared with a golden image; and one scene from two formats drawn
// the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gl/gl_test_support.h"
#include "math/d3d_structures.h"
#include "qxconvert/conversion.h"
#include "qxconvert/scene_import.h"
#include "scene/scene.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;
using namespace velmora::tools;

namespace {

const std::string kModels = QXCONVERT_MODELS;

std::string FrameFile(const std::string& directory, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", frame);
    return directory + name;
}

// The share of pixels that are not black.
double LitShare(const Image& image) {
    size_t lit = 0;
    for (uint32_t pixel : image.pixels) lit += (pixel & 0xFFFFFF) != 0;
    return static_cast<double>(lit) / static_cast<double>(image.pixels.size());
}

// Pixels differing by more than tolerance in any channel.
size_t DifferentPixels(const Image& a, const Image& b, int tolerance) {
    size_t different = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {16, 8, 0})
            if (std::abs(Channel(a.pixels[i], shift) - Channel(b.pixels[i], shift)) > tolerance) {
                ++different;
                break;
            }
    return different;
}

TEST(QxconvertShow, ThreeCommandsPlayAGltfSceneWithItsAnimationCameraAndTextures) {
    std::string work = MakeTempDirectory();
    std::string show = work + "/show";
    ProgramResult converted = RunProgram(QXCONVERT_PROGRAM, {kModels + "/stage.glb", "-o", "show"}, work,
                                         {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 120.0);
    ASSERT_EQ(converted.exitStatus, 0) << converted.standardError;
    ProgramResult packed = RunProgram(QXPACK_PROGRAM, {"create", "show/MORVAST.QXD", "show"}, work, {}, 120.0);
    ASSERT_EQ(packed.exitStatus, 0) << packed.standardError;
    // The archive alone carries the show: the loose files go.
    for (const auto& entry : std::filesystem::directory_iterator(show))
        if (entry.path().filename() != "MORVAST.QXD") std::filesystem::remove(entry.path());

    std::filesystem::copy_file(VELMORA_PROGRAM, show + "/velmora");
    ProgramResult played = RunProgram(show + "/velmora", {}, show,
                                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"VELMORA_FPS", "30"},
                                       {"VELMORA_CAPTURE", work + "/frames"}},
                                      120.0);
    ASSERT_TRUE(played.finished) << "the converted show did not end by itself";
    EXPECT_EQ(played.exitStatus, 0) << played.standardError;
    // 61 frames, shorter than five seconds: looped three times, 6.1 s.
    size_t frames = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work + "/frames"))
        frames += entry.path().extension() == ".png";
    EXPECT_GE(frames, 183u);
    EXPECT_LE(frames, 190u);

    // Frame 32 is a second into the animation: the cube moved right and turned
    // 45 degrees, its picture upright on both faces seen, the translucent pane
    // on the left and the pane of translucent picture on the right.
    Image middle, start;
    ASSERT_TRUE(LoadPng(FrameFile(work + "/frames", 32), middle));
    ExpectLike(middle, "qxconvert_stage");
    // The animation plays: a frame near the start differs in many pixels.
    ASSERT_TRUE(LoadPng(FrameFile(work + "/frames", 3), start));
    EXPECT_GT(LitShare(start), 0.05);
    EXPECT_GT(DifferentPixels(start, middle, 16), middle.pixels.size() / 50);
}

// The share of the picture, from its edges inwards, that holds nothing but
// black: the smallest of the four margins, as a share of the half-width or
// half-height.
double BlackMargin(const Image& image) {
    int left = image.width / 2, right = left, top = image.height / 2, bottom = top;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.At(x, y) != 0) {
                left = std::min(left, x);
                right = std::min(right, image.width - 1 - x);
                top = std::min(top, y);
                bottom = std::min(bottom, image.height - 1 - y);
            }
    return std::min(std::min(left, right) / (image.width / 2.0), std::min(top, bottom) / (image.height / 2.0));
}

TEST(QxconvertShow, AStillModelCirclesForTenSecondsInsideAWidePicture) {
    std::string work = MakeTempDirectory();
    std::string show = work + "/show";
    ProgramResult converted =
        RunProgram(QXCONVERT_PROGRAM, {kModels + "/BoxTextured.glb", "--seconds", "10", "--orbit", "-o", "show"}, work,
                   {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 120.0);
    ASSERT_EQ(converted.exitStatus, 0) << converted.standardError;
    ProgramResult packed = RunProgram(QXPACK_PROGRAM, {"create", "show/MORVAST.QXD", "show"}, work, {}, 120.0);
    ASSERT_EQ(packed.exitStatus, 0) << packed.standardError;
    ProgramResult checked = RunProgram(QXCHECK_PROGRAM, {"MORVAST.QXP"}, show, {}, 60.0);
    EXPECT_EQ(checked.exitStatus, 0) << checked.standardOutput;
    // Filmed at 16:9, ten frames a second.
    ProgramResult filmed = RunProgram(VELMORA_CAPTURE_PROGRAM,
                                      {show, work + "/frames", "--frames-only", "--fps", "10", "--size", "640x360"},
                                      work, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 300.0);
    ASSERT_EQ(filmed.exitStatus, 0) << filmed.standardError;
    size_t frames = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work + "/frames"))
        frames += entry.path().extension() == ".png";
    // Ten seconds and the closing second.
    EXPECT_GE(frames, 100u);
    EXPECT_LE(frames, 115u);
    // In every frame of the orbit the box is seen whole, clear of the edges;
    // and it turns: a quarter of the way round it looks different.
    Image first, quarter;
    for (int frame = 2; frame < 100; frame += 7) {
        SCOPED_TRACE(frame);
        Image image;
        ASSERT_TRUE(LoadPng(FrameFile(work + "/frames", frame), image));
        EXPECT_GT(LitShare(image), 0.05);
        EXPECT_GT(BlackMargin(image), 0.05);
        if (frame == 2) first = image;
        if (frame == 30) quarter = image;
    }
    ASSERT_FALSE(quarter.pixels.empty());
    EXPECT_GT(DifferentPixels(first, quarter, 16), first.pixels.size() / 20);
}

class QxconvertFormats : public GlRenderTest {
protected:
    // Converts the model, writes its scene file and loads it as a show does.
    void Load(const std::string& model, Scene& scene) {
        ImportedScene source;
        ConvertedScene converted;
        std::string why;
        ASSERT_TRUE(ImportScene(kModels + "/" + model, source, why)) << why;
        ASSERT_TRUE(ConvertScene(source, {}, converted, why)) << why;
        std::string file = MakeTempDirectory() + "/scene.QX3";
        ASSERT_TRUE(WriteSceneFile(file, converted.description, &why)) << why;
        scene.fileName = strdup(file.c_str());
        LoadScene(&scene, scene.fileName, d3dDevice);
        ASSERT_GT(scene.frameCount, 180);
        for (int32_t f = 0; f < scene.frameCount; ++f) scene.cameras[0].frameBlend[f] = 1.0f;
        // The 3DS reader drops the object's colour and the scene's ambient
        // light, which the ASCII export keeps: both are made the same here, so
        // that what is compared is the shape, the motion, the camera and the
        // lighting.
        for (int32_t i = 0; i < scene.drawStyleCount; ++i) InitMaterial(&scene.drawStyles[i].material, 0.8f, 0.7f, 0.6f, 1.0f);
        for (int32_t f = 0; f < scene.frameCount; ++f) scene.frameAmbient[f] = 0x202020;
    }
};

TEST_F(QxconvertFormats, TheSameSceneFromItsAseAnd3dsFilesDrawsTheSameFrames) {
    Scene ase{}, threeDs{};
    Load("RotatingCube.ASE", ase);
    Load("RotatingCube.3DS", threeDs);
    for (int frame : {0, 60, 100, 150, 180}) {
        SCOPED_TRACE(frame);
        ase.currentFrame = threeDs.currentFrame = static_cast<float>(frame);
        Image a = Draw(&ase), b = Draw(&threeDs);
        EXPECT_GT(LitShare(a), 0.05);
        // Edges may round the other way where the numbers differ in their
        // fourth decimal.
        EXPECT_LT(DifferentPixels(a, b, 8), a.pixels.size() / 500);
    }
    FreeScene(&ase);
    FreeScene(&threeDs);
}

}  // namespace
