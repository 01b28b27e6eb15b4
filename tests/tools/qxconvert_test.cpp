// The converter on real models: what the scene description holds after
// reading glTF, ASCII scene exports, 3DS and Collada files, checked against
// numbers the source files state (and, for the animation, against another
// format's reader of the same scene).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "qxconvert/camera_conversion.h"
#include "qxconvert/conversion.h"
#include "qxconvert/light_conversion.h"
#include "qxconvert/player_space.h"
#include "qxconvert/scene_import.h"
#include "qxconvert/texture_images.h"

using namespace velmora::tools;

namespace {

const std::string kModels = QXCONVERT_MODELS;

struct Conversion {
    ImportedScene source;
    ConvertedScene scene;
};

// Imports and converts a model of the test folder, failing the test if
// either step fails.
void Convert(const std::string& file, Conversion& out, const ConvertOptions& options = {}) {
    std::string why;
    ASSERT_TRUE(ImportScene(kModels + "/" + file, out.source, why)) << file << ": " << why;
    ASSERT_TRUE(ConvertScene(out.source, options, out.scene, why)) << file << ": " << why;
    ASSERT_EQ(CheckScene(out.scene.description), "");
}

const WriterObject* ObjectNamed(const SceneDescription& scene, const std::string& name) {
    for (const WriterObject& object : scene.objects)
        if (object.name == name) return &object;
    return nullptr;
}

const WriterLight* LightNamed(const SceneDescription& scene, const std::string& name) {
    for (const WriterLight& light : scene.lights)
        if (light.name == name) return &light;
    return nullptr;
}

const D3DMATRIX& MatrixAt(const WriterObject& object, int32_t frame) {
    return object.matrices[object.animated ? static_cast<size_t>(frame) : 0];
}

// Every vertex of the object in the player's world in that frame.
std::vector<aiVector3D> WorldVertices(const WriterObject& object, int32_t frame) {
    std::vector<aiVector3D> out;
    for (const WriterPart& part : object.parts)
        for (const WriterVertex& v : part.vertices) out.push_back(Transformed({v.x, v.y, v.z}, MatrixAt(object, frame)));
    return out;
}

// Each point of one list lies within tolerance of a point of the other.
void ExpectSamePoints(const std::vector<aiVector3D>& a, const std::vector<aiVector3D>& b, float tolerance) {
    auto farthest = [](const std::vector<aiVector3D>& from, const std::vector<aiVector3D>& to) {
        float worst = 0.0f;
        for (const aiVector3D& p : from) {
            float nearest = 1e30f;
            for (const aiVector3D& q : to) nearest = std::min(nearest, (p - q).Length());
            worst = std::max(worst, nearest);
        }
        return worst;
    };
    EXPECT_LE(std::max(farthest(a, b), farthest(b, a)), tolerance);
}

// The 3ds Max scene exports' Z-up right-handed coordinates in the player's
// left-handed Y-up world: y and z change places.
aiVector3D FromMax(float x, float y, float z) { return {x, z, y}; }

TEST(QxconvertAse, RotatingCubeKeepsItsFramesWireColourAndPlaceInTheWorld) {
    Conversion c;
    Convert("RotatingCube.ASE", c);
    const SceneDescription& scene = c.scene.description;
    // SCENE_FIRSTFRAME 0 to SCENE_LASTFRAME 300 at SCENE_FRAMESPEED 30.
    EXPECT_EQ(scene.frameCount, 301);
    EXPECT_DOUBLE_EQ(c.scene.frames.framesPerSecond, 30.0);
    ASSERT_EQ(scene.objects.size(), 1u);
    const WriterObject& box = scene.objects[0];
    EXPECT_EQ(box.name, "Box01");
    EXPECT_TRUE(box.animated);
    ASSERT_EQ(box.parts.size(), 1u);
    EXPECT_EQ(box.parts[0].polygons.size(), 12u);
    // No material: the modeller renders it in its wire colour.
    const WriterDrawStyle& style = scene.drawStyles[static_cast<size_t>(box.parts[0].drawStyle)];
    EXPECT_NEAR(style.red, 0.2235f, 1e-4f);
    EXPECT_NEAR(style.green, 0.0314f, 1e-4f);
    EXPECT_NEAR(style.blue, 0.5333f, 1e-4f);
    // The file's vertices are in world space at frame 0.
    ExpectSamePoints(WorldVertices(box, 0),
                     {FromMax(-29.3447f, -34.1813f, 4.0862f), FromMax(37.3219f, -34.1813f, 4.0862f),
                      FromMax(-29.3447f, 22.7853f, -4.0862f), FromMax(37.3219f, 22.7853f, -4.0862f),
                      FromMax(-29.3447f, -27.7082f, 49.2083f), FromMax(37.3219f, -27.7082f, 49.2083f),
                      FromMax(-29.3447f, 29.2585f, 41.0359f), FromMax(37.3219f, 29.2585f, 41.0359f)},
                     0.01f);
    // No camera and no light: one camera framing it, two default lights.
    EXPECT_TRUE(c.scene.framingCamera);
    EXPECT_TRUE(c.scene.defaultLights);
    EXPECT_EQ(scene.lights.size(), 2u);
    // SCENE_AMBIENT_STATIC 0 0 0.
    EXPECT_EQ(scene.ambient[0], 0u);
}

TEST(QxconvertAse, AnimationMatchesTheImportLibrarysReadingOfTheSame3dsScene) {
    // Our reader of the ASCII export and the library's 3DS reader of the same
    // scene: the cube must stand in the same place in every frame both have
    // (to the export's four decimals). It turns about x, then y, then z; with
    // the 3DS keys chained about the node's own axes, as the library reads
    // them, frames after the first turn stray by up to 58 units.
    Conversion ase, threeDs;
    Convert("RotatingCube.ASE", ase);
    Convert("RotatingCube.3DS", threeDs);
    ASSERT_EQ(threeDs.scene.description.objects.size(), 1u);
    const WriterObject& a = ase.scene.description.objects[0];
    const WriterObject& b = threeDs.scene.description.objects[0];
    for (int32_t frame = 0; frame <= 180; frame += 5) {
        SCOPED_TRACE(frame);
        ExpectSamePoints(WorldVertices(a, frame), WorldVertices(b, frame), 0.1f);
    }
    // And it does turn: frame 90 is not frame 0.
    aiVector3D p0 = WorldVertices(a, 0)[0], p90 = WorldVertices(a, 90)[0];
    EXPECT_GT((p0 - p90).Length(), 5.0f);
}

TEST(QxconvertAse, TargetCameraLooksAtItsTargetInEveryFrameWithItsFieldOfView) {
    Conversion c;
    Convert("TargetCameraAnim.ase", c);
    const SceneDescription& scene = c.scene.description;
    ASSERT_EQ(scene.cameras.size(), 1u);
    const WriterCamera& camera = scene.cameras[0];
    EXPECT_EQ(camera.name, "Camera01");
    EXPECT_FALSE(c.scene.framingCamera);
    // CAMERA_FOV 0.7854, the horizontal field of view as the player's.
    EXPECT_NEAR(camera.fov[0], 0.7854f, 1e-5f);
    // The target's own track (frames at 160 ticks): still until frame 30,
    // then moving along x; the camera rises and falls meanwhile.
    struct Sample {
        int32_t frame;
        aiVector3D target;
    };
    for (const Sample& s : {Sample{0, FromMax(14.4292f, 28.2159f, 0)}, Sample{30, FromMax(14.4292f, 28.2159f, 0)},
                            Sample{40, FromMax(36.7205f, 28.2159f, 0)}, Sample{60, FromMax(100.41f, 28.2159f, 0)}}) {
        SCOPED_TRACE(s.frame);
        aiVector3D seen = Transformed(s.target, camera.matrices[static_cast<size_t>(s.frame)]);
        EXPECT_GT(seen.z, 50.0f);
        EXPECT_LT(std::fabs(seen.x) / seen.z, 0.01f);
        EXPECT_LT(std::fabs(seen.y) / seen.z, 0.01f);
    }
    // The camera's own first sample puts it at TM_POS.
    aiVector3D eye = FromMax(-65.8677f, 16.1213f, 0.0f);
    EXPECT_LT(Transformed(eye, camera.matrices[0]).Length(), 0.01f);
}

TEST(Qxconvert3ds, CamerasTheLibraryReadsWithoutTheirTargetsAreLeftOut) {
    Conversion c;
    Convert("TargetCameraAnim.3ds", c);
    EXPECT_TRUE(c.scene.framingCamera);
    ASSERT_EQ(c.scene.description.cameras.size(), 1u);
    EXPECT_EQ(c.scene.description.cameras[0].name, "Camera");
    EXPECT_TRUE(c.scene.notes.Has("the import library reads 3DS cameras without their targets: they are left out "
                                  "(the scene's ASE export keeps them)"));
}

// The glTF stage (make_stage.py): a cube moved from x 0 to 2 and turned by 90
// degrees about y over two seconds, a translucent pane, a pane with a
// translucent texture, a camera and two lights.
TEST(QxconvertGltf, StageKeepsAnimationCameraLightsAndMaterials) {
    Conversion c;
    Convert("stage.glb", c);
    const SceneDescription& scene = c.scene.description;
    // No rate of its own: 30 a second, over the animation's two seconds.
    EXPECT_EQ(scene.frameCount, 61);

    const WriterObject* cube = ObjectNamed(scene, "Cube");
    ASSERT_NE(cube, nullptr);
    EXPECT_TRUE(cube->animated);
    // Frame 30 is one second in: moved by 1 along x, turned 45 degrees about
    // y. A corner of the source's cube at (1, 1, 1) goes to x = 1 + sqrt 2,
    // z = 0 in the source's right-handed world, mirrored in the player's.
    aiVector3D corner = Transformed(MirroredVertex({1, 1, 1}), MatrixAt(*cube, 30));
    EXPECT_NEAR(corner.x, 1.0f + std::sqrt(2.0f), 1e-4f);
    EXPECT_NEAR(corner.y, 1.0f, 1e-4f);
    EXPECT_NEAR(corner.z, 0.0f, 1e-4f);
    aiVector3D front = Transformed(MirroredVertex({1, 1, -1}), MatrixAt(*cube, 30));
    EXPECT_NEAR(front.x, 1.0f, 1e-4f);
    EXPECT_NEAR(front.z, std::sqrt(2.0f), 1e-4f);  // the source's -z, mirrored

    // The camera: its vertical field of view 0.5 at aspect 1.7778 as the
    // horizontal one, placed at (0, 2, 10) looking at the origin.
    ASSERT_EQ(scene.cameras.size(), 1u);
    const WriterCamera& camera = scene.cameras[0];
    EXPECT_NEAR(camera.fov[0], 2.0f * std::atan(std::tan(0.25f) * 1.7778f), 1e-4f);
    EXPECT_LT(Transformed({0, 2, -10}, camera.matrices[0]).Length(), 1e-4f);
    aiVector3D origin = Transformed({0, 0, 0}, camera.matrices[0]);
    EXPECT_NEAR(origin.x, 0.0f, 1e-4f);
    EXPECT_NEAR(origin.y, 0.0f, 1e-4f);
    EXPECT_NEAR(origin.z, std::sqrt(104.0f), 1e-3f);

    // The point light names its range (30) and falls off with the square of
    // the distance, as glTF lights do; the spot light has no range and ends
    // where its 10 candela fade to one 8-bit step: sqrt(256 * 10).
    const WriterLight* lamp = LightNamed(scene, "Lamp");
    ASSERT_NE(lamp, nullptr);
    EXPECT_FALSE(lamp->spot);
    EXPECT_EQ(lamp->attenuation, kQuadratic);
    EXPECT_FLOAT_EQ(lamp->range, 30.0f);
    EXPECT_NEAR(lamp->frames[0].position.x, 3.0f, 1e-5f);
    EXPECT_NEAR(lamp->frames[0].position.z, -5.0f, 1e-5f);
    // Colour (1, 0.9, 0.8) at 30 candela: what the player's falloff needs to
    // give the source's brightness at a distance, doubled by the player and
    // shone half as ambient, half as diffuse light.
    EXPECT_NEAR(lamp->intensity * 2.0f, 30.0f * kPlayerQuadratic * kLightShare, 1e-4f);
    EXPECT_NEAR(lamp->frames[0].green, 0.9f, 1e-5f);
    const WriterLight* spot = LightNamed(scene, "Spot");
    ASSERT_NE(spot, nullptr);
    EXPECT_TRUE(spot->spot);
    EXPECT_EQ(spot->attenuation, kQuadratic);
    EXPECT_NEAR(spot->range, std::sqrt(2560.0f), 1e-2f);
    EXPECT_NEAR(spot->frames[0].direction.y, -1.0f, 1e-5f);

    // The translucent pane: base colour alpha 0.4 is transparency 0.6.
    const WriterObject* glass = ObjectNamed(scene, "Glass");
    ASSERT_NE(glass, nullptr);
    const WriterDrawStyle& glassStyle = scene.drawStyles[static_cast<size_t>(glass->parts[0].drawStyle)];
    EXPECT_NEAR(glassStyle.transparency, 0.6f, 1e-6f);
    EXPECT_NEAR(glassStyle.blue, 1.0f, 1e-6f);
    EXPECT_TRUE(glassStyle.textureName.empty());
    // Double-sided materials: drawn from both sides by the starter script.
    EXPECT_EQ(c.scene.twoSidedObjects, (std::vector<std::string>{"Glass", "Window"}));

    // The textured cube: its embedded picture written out under the image's
    // name, opaque; the window's keeps its alpha, which makes it translucent.
    const WriterDrawStyle& painted = scene.drawStyles[static_cast<size_t>(cube->parts[0].drawStyle)];
    EXPECT_EQ(painted.textureName, "marker.png");
    EXPECT_EQ(painted.transparency, 0.0f);
    const WriterObject* window = ObjectNamed(scene, "Window");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(scene.drawStyles[static_cast<size_t>(window->parts[0].drawStyle)].textureName, "window.png");
    ASSERT_EQ(c.scene.textures.size(), 2u);
    for (const TextureFile& file : c.scene.textures) {
        TextureImage image;
        ASSERT_TRUE(image.Decode(file.bytes)) << file.name;
        EXPECT_EQ(image.FormatExtension(), "png");
        EXPECT_EQ(image.Translucent(), file.name == "window.png") << file.name;
    }
}

TEST(QxconvertGltf, FramesAndRateAsAskedFor) {
    Conversion whole, slow, part;
    Convert("stage.glb", whole);
    ConvertOptions ten;
    ten.framesPerSecond = 10.0;
    Convert("stage.glb", slow, ten);
    EXPECT_EQ(slow.scene.description.frameCount, 21);  // two seconds at 10
    ConvertOptions range;
    range.frames = std::make_pair<int64_t, int64_t>(15, 45);
    Convert("stage.glb", part, range);
    EXPECT_EQ(part.scene.description.frameCount, 31);
    // The range's first frame is frame 15 of the whole, and frame 10 at 10 a
    // second is frame 30 at 30.
    const WriterObject* a = ObjectNamed(whole.scene.description, "Cube");
    const WriterObject* b = ObjectNamed(part.scene.description, "Cube");
    const WriterObject* s = ObjectNamed(slow.scene.description, "Cube");
    ASSERT_TRUE(a && b && s);
    EXPECT_EQ(std::memcmp(&MatrixAt(*a, 15), &MatrixAt(*b, 0), sizeof(D3DMATRIX)), 0);
    ExpectSamePoints(WorldVertices(*a, 30), WorldVertices(*s, 10), 1e-4f);
    // Beyond the animation's end the last pose holds.
    ConvertOptions late;
    late.frames = std::make_pair<int64_t, int64_t>(60, 90);
    Conversion held;
    Convert("stage.glb", held, late);
    const WriterObject* h = ObjectNamed(held.scene.description, "Cube");
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(h->animated);
}

TEST(QxconvertGltf, SecondsMakeASceneOfThatLengthAtItsRate) {
    // A still model is one frame; --seconds makes it as long as asked for.
    Conversion still, ten, slow;
    Convert("BoxTextured.glb", still);
    EXPECT_EQ(still.scene.description.frameCount, 1);
    ConvertOptions seconds;
    seconds.seconds = 10.0;
    Convert("BoxTextured.glb", ten, seconds);
    EXPECT_EQ(ten.scene.description.frameCount, 300);  // at the default 30 a second
    seconds.framesPerSecond = 12.5;
    seconds.seconds = 2.5;
    Convert("stage.glb", slow, seconds);
    EXPECT_EQ(slow.scene.description.frameCount, 31);  // 31.25 rounded
    // Too many frames is refused with the limit.
    seconds.framesPerSecond = 1000.0;
    seconds.seconds = 101.0;
    ImportedScene source;
    ConvertedScene converted;
    std::string why;
    ASSERT_TRUE(ImportScene(kModels + "/stage.glb", source, why)) << why;
    EXPECT_FALSE(ConvertScene(source, seconds, converted, why));
    EXPECT_EQ(why, "--seconds 101 at 1000 a second is 101000 frames, more than the 100000 a scene is given");
}

// The corners of the box round every object's vertices in every frame, in
// the player's world.
std::vector<aiVector3D> SceneCorners(const SceneDescription& scene) {
    aiVector3D low(1e30f), high(-1e30f);
    for (const WriterObject& object : scene.objects)
        for (int32_t f = 0; f < scene.frameCount; ++f)
            for (const aiVector3D& p : WorldVertices(object, f)) {
                low = aiVector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
                high = aiVector3D(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
            }
    std::vector<aiVector3D> corners;
    for (int corner = 0; corner < 8; ++corner)
        corners.push_back({corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 4 ? high.z : low.z});
    return corners;
}

// The largest share of the picture's half-width or half-height that a
// corner of the box takes at the widest mode in that frame of the camera.
float LargestFill(const WriterCamera& camera, int32_t frame, const std::vector<aiVector3D>& corners) {
    const ViewSlopes slopes = PlayerViewSlopes(camera.fov[static_cast<size_t>(frame)], kWidestModeWidth,
                                               kWidestModeHeight);
    float fill = 0.0f;
    for (const aiVector3D& corner : corners) {
        const aiVector3D seen = Transformed(corner, camera.matrices[static_cast<size_t>(frame)]);
        EXPECT_GT(seen.z, 1.0f);  // in front of the near plane
        fill = std::max({fill, std::fabs(seen.x / seen.z) / slopes.horizontal,
                         std::fabs(seen.y / seen.z) / slopes.vertical});
    }
    return fill;
}

TEST(QxconvertCameras, TheWidestModeTheDisplayListsSeesWhatFourThirdsSees) {
    // The player's aspect is the integer quotient of width and height: 1 up
    // to 16:9, so 1920x1080 shows what 640x480 shows, squeezed less; only a
    // mode twice as wide as high narrows the view.
    const ViewSlopes wide = PlayerViewSlopes(kDefaultFov, kWidestModeWidth, kWidestModeHeight);
    const ViewSlopes four = PlayerViewSlopes(kDefaultFov, 640, 480);
    EXPECT_EQ(wide.horizontal, four.horizontal);
    EXPECT_EQ(wide.vertical, four.vertical);
    EXPECT_NEAR(wide.horizontal, std::tan(kDefaultFov / 2.0f), 1e-6f);
    EXPECT_NEAR(wide.vertical, std::tan(kDefaultFov / 2.0f) / 1.3f, 1e-6f);
    EXPECT_NEAR(PlayerViewSlopes(kDefaultFov, 2560, 1080).horizontal, wide.horizontal / 2.0f, 1e-6f);
}

TEST(QxconvertCameras, TheFramingCameraLeavesAMarginAtTheWidestMode) {
    for (const char* model : {"BoxTextured.glb", "RotatingCube.ASE", "cubes_with_alpha.3DS"}) {
        SCOPED_TRACE(model);
        Conversion c;
        Convert(model, c);
        ASSERT_TRUE(c.scene.framingCamera);
        const SceneDescription& scene = c.scene.description;
        ASSERT_EQ(scene.cameras.size(), 1u);
        const std::vector<aiVector3D> corners = SceneCorners(scene);
        float most = 0.0f;
        for (int32_t f = 0; f < scene.frameCount; ++f) most = std::max(most, LargestFill(scene.cameras[0], f, corners));
        // Inside the margin, and not lost in the middle of the picture.
        EXPECT_LE(most, kFramingFill + 1e-4f);
        EXPECT_GE(most, 0.6f);
    }
}

TEST(QxconvertCameras, TheOrbitCirclesTheSceneOnceAndKeepsItInThePicture) {
    Conversion c;
    ConvertOptions options;
    options.seconds = 10.0;
    options.orbit = true;
    Convert("BoxTextured.glb", c, options);
    const SceneDescription& scene = c.scene.description;
    ASSERT_EQ(scene.frameCount, 300);
    // The orbit stands in for the framing camera.
    EXPECT_FALSE(c.scene.framingCamera);
    EXPECT_TRUE(c.scene.orbitCamera);
    ASSERT_EQ(scene.cameras.size(), 1u);
    const WriterCamera& orbit = scene.cameras[0];
    EXPECT_EQ(orbit.name, "Orbit");
    const std::vector<aiVector3D> corners = SceneCorners(scene);
    aiVector3D centre = (corners[0] + corners[7]) * 0.5f;
    auto eye = [&](int32_t f) {
        // The eye is where the view matrix takes a point to the origin.
        const D3DMATRIX& m = orbit.matrices[static_cast<size_t>(f)];
        aiVector3D x(m._11, m._21, m._31), y(m._12, m._22, m._32), z(m._13, m._23, m._33);
        aiVector3D t(m._41, m._42, m._43);
        return -(x * t.x + y * t.y + z * t.z);
    };
    float turned = 0.0f;
    for (int32_t f = 0; f < scene.frameCount; ++f) {
        SCOPED_TRACE(f);
        EXPECT_LE(LargestFill(orbit, f, corners), kFramingFill + 1e-4f);
        // Always looking at the centre from the same distance.
        aiVector3D seen = Transformed(centre, orbit.matrices[static_cast<size_t>(f)]);
        EXPECT_NEAR(seen.x, 0.0f, 1e-3f);
        EXPECT_NEAR(seen.y, 0.0f, 1e-3f);
        EXPECT_NEAR((eye(f) - centre).Length(), (eye(0) - centre).Length(), 1e-3f);
        // Going round one way: a step of 360 / 300 degrees a frame.
        aiVector3D a = eye(f) - centre, b = eye((f + 1) % scene.frameCount) - centre;
        a.y = b.y = 0.0f;
        const float step = std::atan2((a ^ b).y, a * b);
        EXPECT_NEAR(std::fabs(step), 6.2831853f / 300.0f, 1e-4f);
        turned += step;
    }
    EXPECT_NEAR(std::fabs(turned), 6.2831853f, 1e-3f);

    // A source with cameras of its own keeps them and gets the orbit after them.
    Conversion staged;
    Convert("stage.glb", staged, options);
    ASSERT_EQ(staged.scene.description.cameras.size(), 2u);
    EXPECT_EQ(staged.scene.description.cameras[1].name, "Orbit");
    // An orbit over one frame stands still, and says so.
    Conversion still;
    ConvertOptions orbitOnly;
    orbitOnly.orbit = true;
    Convert("BoxTextured.glb", still, orbitOnly);
    EXPECT_TRUE(still.scene.notes.Has("--orbit on a scene of one frame stands still; --seconds N makes it circle "
                                      "over N seconds"));
}

TEST(QxconvertGltf, SkinnedAndMorphedMeshesAreTakenInTheirRestPoseAndSaySo) {
    Conversion skin, morph;
    Convert("simple_skin.gltf", skin);
    EXPECT_TRUE(skin.scene.notes.Has("skinned meshes are taken in their rest pose"));
    EXPECT_EQ(skin.scene.description.objects.size(), 1u);
    Convert("AnimatedMorphCube.gltf", morph);
    EXPECT_TRUE(morph.scene.notes.Has("morph targets are taken in their rest pose"));
    EXPECT_FALSE(morph.scene.notes.Has("skinned meshes are taken in their rest pose"));
    EXPECT_FALSE(morph.scene.description.objects.empty());
}

TEST(Qxconvert3ds, TranslucentAndTexturedMaterials) {
    // "Transparent" has an opacity of 0.83; another material names a
    // texture that is not there, which is said and drawn in its colour.
    Conversion cubes;
    Convert("cubes_with_alpha.3DS", cubes);
    const SceneDescription& scene = cubes.scene.description;
    EXPECT_EQ(scene.objects.size(), 5u);
    int translucent = 0;
    for (const WriterDrawStyle& style : scene.drawStyles) {
        EXPECT_TRUE(style.textureName.empty());
        if (style.transparency > 0.0f) {
            ++translucent;
            EXPECT_NEAR(style.transparency, 0.17f, 1e-5f);
        }
    }
    EXPECT_EQ(translucent, 1);
    EXPECT_TRUE(cubes.scene.notes.Has("texture BERETTA_.JPG is missing; its parts are drawn in their colour"));

    // TEST.PNG is test.png beside the file: found ignoring case, copied as
    // it is, and drawn unmodulated (white) as the modeller shows it.
    Conversion textured;
    Convert("cube_with_diffuse_texture.3DS", textured);
    ASSERT_EQ(textured.scene.description.drawStyles.size(), 1u);
    const WriterDrawStyle& style = textured.scene.description.drawStyles[0];
    EXPECT_EQ(style.textureName, "TEST.png");
    EXPECT_EQ(style.red + style.green + style.blue, 3.0f);
    ASSERT_EQ(textured.scene.textures.size(), 1u);
    TextureImage image;
    ASSERT_TRUE(image.Decode(textured.scene.textures[0].bytes));
    EXPECT_EQ(image.FormatExtension(), "png");
}

TEST(QxconvertCollada, LightsKeepTheirKindAndReach) {
    Conversion c;
    Convert("lights.dae", c);
    const SceneDescription& scene = c.scene.description;
    // A point, a sun, a spot and an area lamp (read as a point); the hemi
    // lamp is an ambient light of no colour.
    ASSERT_EQ(scene.lights.size(), 4u);
    const WriterLight* lamp = LightNamed(scene, "Lamp");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->attenuation, kQuadratic);
    // 1 / (1 + 0.00111109 d^2) falls to 1/256 at sqrt(255 / 0.00111109).
    EXPECT_NEAR(lamp->range, std::sqrt(255.0f / 0.00111109f), 0.5f);
    const WriterLight* spot = LightNamed(scene, "Spot");
    ASSERT_NE(spot, nullptr);
    EXPECT_TRUE(spot->spot);
    const WriterLight* sun = LightNamed(scene, "Sun");
    ASSERT_NE(sun, nullptr);
    EXPECT_FALSE(sun->spot);
    EXPECT_EQ(sun->attenuation, kConstant);
    EXPECT_TRUE(c.scene.notes.Has("directional lights become point lights far out along their direction"));
    EXPECT_FALSE(c.scene.defaultLights);
}

TEST(QxconvertInvalid, MalformedAndEmptyFilesAreRefusedWithTheReadersMessage) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"OutOfMemory.off", "more memory"},
        {"empty.3ds", "empty"},
        {"empty.ase", "empty"},
        {"empty.lwo", "too small"},
        {"empty.md5mesh", "MD5"},
        {"empty.obj", "too small"},
        {"empty.off", "empty"},
        {"empty.ply", "empty"},
        {"empty.raw", "empty"},
        {"empty.smd", "empty"},
        {"empty.x", "too small"},
        {"emptyIrrMesh.xml", "IRRMESH"},
        {"malformed.obj", "face index"},
        {"readme.txt", "No suitable reader"},
        {"no such file.obj", "No such file"},
    };
    for (const auto& [file, message] : refused) {
        ImportedScene scene;
        std::string why;
        EXPECT_FALSE(ImportScene(kModels + "/invalid/" + file, scene, why)) << file;
        EXPECT_NE(why.find(message), std::string::npos) << file << ": " << why;
        EXPECT_EQ(why.find('\n'), std::string::npos) << file << ": " << why;
    }
    // A material that is not there: the library gives the faces its default.
    Conversion c;
    Convert("invalid/malformed2.obj", c);
    EXPECT_EQ(c.scene.description.objects.size(), 1u);
}

}  // namespace
