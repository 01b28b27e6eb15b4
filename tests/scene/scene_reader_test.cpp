// Scene files written by the writer and read back by the engine's reader.
#include <gtest/gtest.h>

#include <cstring>

#include "data/data_archive.h"
#include "diag/memory_counters.h"
#include "scene/scene_fixture.h"
#include "scene_writer/sample_scenes.h"
#include "support/fake_texture_cache.h"

using namespace velmora::tools;
using velmora::testing::fakeTextures;
using velmora::testing::FormatColour;
using velmora::testing::SceneTest;

namespace {

void ExpectMatrixFromRecord(const D3DMATRIX& expected, const D3DMATRIX& actual) {
    // Only _11 ... _43 without the fourth column are stored.
    const float want[16] = {expected._11, expected._12, expected._13, 0.0f,
                            expected._21, expected._22, expected._23, 0.0f,
                            expected._31, expected._32, expected._33, 0.0f,
                            expected._41, expected._42, expected._43, 1.0f};
    float got[16];
    std::memcpy(got, &actual, sizeof got);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(got[i], want[i]) << "element " << i;
}

std::string BareName(const std::string& name) {
    size_t cut = name.find_last_of("\\/");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// Every field of the scene against the description it was written from.
void ExpectSceneMatches(const SceneDescription& d, const Scene& s, bool strippedTextureNames) {
    ASSERT_EQ(s.frameCount, d.frameCount);
    EXPECT_EQ(s.framesPerSecond, 30.0f);
    EXPECT_EQ(s.currentFrame, -1.0f);
    EXPECT_EQ(s.looping, 0);
    for (int32_t f = 0; f < d.frameCount; ++f) EXPECT_EQ(s.frameAmbient[f], d.ambient[f]);

    ASSERT_EQ(s.drawStyleCount, static_cast<int32_t>(d.drawStyles.size()));
    for (int32_t i = 0; i < s.drawStyleCount; ++i) {
        const WriterDrawStyle& want = d.drawStyles[i];
        const DrawStyle& got = s.drawStyles[i];
        for (const D3DCOLORVALUE& colour : {got.material.diffuse, got.material.ambient}) {
            EXPECT_EQ(colour.r, want.red);
            EXPECT_EQ(colour.g, want.green);
            EXPECT_EQ(colour.b, want.blue);
            EXPECT_EQ(colour.a, 1.0f - want.transparency);
        }
        for (const D3DCOLORVALUE& colour : {got.material.specular, got.material.emissive})
            EXPECT_TRUE(colour.r == 0.0f && colour.g == 0.0f && colour.b == 0.0f && colour.a == 0.0f);
        EXPECT_EQ(got.material.power, 0.0f);
        EXPECT_STREQ(got.textureName,
                     (strippedTextureNames ? BareName(want.textureName) : want.textureName).c_str());
        EXPECT_EQ(got.textureResident, 0);
        EXPECT_EQ(got.texturePreloaded, 0);
    }

    std::vector<int32_t> objects = NodesInFileOrder(d, NodeKind::Object);
    ASSERT_EQ(s.objectCount, static_cast<int32_t>(objects.size()));
    for (int32_t o = 0; o < s.objectCount; ++o) {
        SCOPED_TRACE("object " + std::to_string(o));
        const WriterObject& want = d.objects[objects[o]];
        const SceneObject& got = s.objects[o];
        EXPECT_STREQ(got.name, want.name.c_str());
        EXPECT_STREQ(got.parentName, want.parentName.c_str());
        EXPECT_EQ(got.animated, want.animated ? 1 : 0);
        EXPECT_EQ(got.shadeMode, 2);
        EXPECT_EQ(got.overlay, 0);
        ASSERT_EQ(got.partCount, static_cast<int32_t>(want.parts.size()));
        bool opaque = true;
        for (int32_t p = 0; p < got.partCount; ++p) {
            const WriterPart& part = want.parts[p];
            opaque = opaque && d.drawStyles[part.drawStyle].transparency == 0.0f;
            int32_t style = part.polygonDrawStyle >= 0 ? part.polygonDrawStyle : part.drawStyle;
            EXPECT_EQ(got.partDrawStyles[p], &s.drawStyles[style]);
            ASSERT_EQ(got.partVertexCounts[p], static_cast<int32_t>(part.vertices.size()));
            for (size_t v = 0; v < part.vertices.size(); ++v) {
                const Vertex& vertex = got.partVertices[p][v];
                EXPECT_EQ(vertex.x, part.vertices[v].x);
                EXPECT_EQ(vertex.y, part.vertices[v].y);
                EXPECT_EQ(vertex.z, part.vertices[v].z);
                EXPECT_EQ(vertex.tu, part.vertices[v].tu);
                EXPECT_EQ(vertex.tv, part.vertices[v].tv);
            }
            ASSERT_EQ(got.partPolygonCounts[p], static_cast<int32_t>(part.polygons.size()));
            for (size_t i = 0; i < part.polygons.size(); ++i)
                for (int corner = 0; corner < 3; ++corner)
                    EXPECT_EQ(got.partPolygons[p][i].index[corner], part.polygons[i][corner] & 0xFFFF);
        }
        EXPECT_EQ(got.cullBackfaces, opaque ? 1 : 0);
        for (size_t f = 0; f < want.matrices.size(); ++f)
            ExpectMatrixFromRecord(want.matrices[f], got.matrices[f]);
    }

    std::vector<int32_t> cameras = NodesInFileOrder(d, NodeKind::Camera);
    ASSERT_EQ(s.cameraCount, static_cast<int32_t>(cameras.size()));
    for (int32_t c = 0; c < s.cameraCount; ++c) {
        SCOPED_TRACE("camera " + std::to_string(c));
        const WriterCamera& want = d.cameras[cameras[c]];
        const SceneCamera& got = s.cameras[c];
        EXPECT_STREQ(got.name, want.name.c_str());
        EXPECT_EQ(got.blurFrames, 1);
        EXPECT_EQ(s.cameraOrder[c], c);
        for (int32_t f = 0; f < d.frameCount; ++f) {
            EXPECT_EQ(got.frameFov[f], want.fov[f]);
            EXPECT_EQ(got.frameBlend[f], -1.0f);
            EXPECT_EQ(got.frameExtraAmbient[f], 0);
            ExpectMatrixFromRecord(want.matrices[f], s.cameraMatrices[c][f]);
        }
    }

    std::vector<int32_t> lights = NodesInFileOrder(d, NodeKind::Light);
    ASSERT_EQ(s.lightCount, static_cast<int32_t>(lights.size()));
    for (int32_t i = 0; i < s.lightCount; ++i) {
        SCOPED_TRACE("light " + std::to_string(i));
        const WriterLight& want = d.lights[lights[i]];
        const SceneLight& got = s.lights[i];
        EXPECT_STREQ(got.name, want.name.c_str());
        EXPECT_EQ(got.intensity, 2.0f * want.intensity);
        EXPECT_EQ(got.animated, want.animated ? 1 : 0);
        float scale = (want.attenuation == 0 ? 1.0f : want.colourMultiplier);
        for (size_t f = 0; f < want.frames.size(); ++f) {
            const WriterLightFrame& frame = want.frames[f];
            const D3DLIGHT7& light = s.lightFrames[i][f];
            EXPECT_EQ(light.dltType, want.spot ? D3DLIGHT_SPOT : D3DLIGHT_POINT);
            for (const D3DCOLORVALUE& colour : {light.dcvDiffuse, light.dcvAmbient}) {
                EXPECT_FLOAT_EQ(colour.r, frame.red * scale * got.intensity);
                EXPECT_FLOAT_EQ(colour.g, frame.green * scale * got.intensity);
                EXPECT_FLOAT_EQ(colour.b, frame.blue * scale * got.intensity);
                EXPECT_EQ(colour.a, 0.0f);
            }
            EXPECT_EQ(FormatColour(light.dcvSpecular), "0 0 0 0");
            EXPECT_EQ(light.dvPosition.x, frame.position.x);
            EXPECT_EQ(light.dvPosition.y, frame.position.y);
            EXPECT_EQ(light.dvPosition.z, frame.position.z);
            EXPECT_EQ(light.dvDirection.x, want.spot ? frame.direction.x : 0.0f);
            EXPECT_EQ(light.dvDirection.y, want.spot ? frame.direction.y : 0.0f);
            EXPECT_EQ(light.dvDirection.z, want.spot ? frame.direction.z : 0.0f);
            EXPECT_EQ(light.dvRange, want.range);
            EXPECT_EQ(light.dvFalloff, 1.0f);
            EXPECT_EQ(light.dvAttenuation0, want.attenuation == 0 ? 1.0f : 0.0f);
            EXPECT_EQ(light.dvAttenuation1, want.attenuation == 1 ? 0.5f : 0.0f);
            EXPECT_EQ(light.dvAttenuation2, want.attenuation == 2 ? 0.1f : 0.0f);
            EXPECT_EQ(light.dvTheta, want.spot ? 2.8274333f : 0.0f);
            EXPECT_EQ(light.dvPhi, want.spot ? 3.1415927f : 0.0f);
        }
    }
}

// The bytes the per-frame arrays of a sound scene take.
int64_t AnimationBytes(const SceneDescription& d) {
    int64_t bytes = 4 * d.frameCount + 64 * static_cast<int64_t>(d.cameras.size()) * d.frameCount;
    for (const WriterObject& object : d.objects) bytes += 64 * (object.animated ? d.frameCount : 1);
    for (const WriterLight& light : d.lights) bytes += 104 * (light.animated ? d.frameCount : 1);
    return bytes;
}

using SceneReaderTest = SceneTest;

TEST_F(SceneReaderTest, EveryKindOfNodeReadsBackWithTheWrittenValues) {
    SceneDescription d = EveryNodeScene();
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ExpectSceneMatches(d, scene, false);
    EXPECT_EQ(animationMemoryCounter, AnimationBytes(d));
    EXPECT_GT(generalMemoryCounter, 0);
}

TEST_F(SceneReaderTest, OneFrameAndManyFramesSizeEveryPerFrameArray) {
    for (int32_t frames : {1, 2, 40}) {
        SCOPED_TRACE(frames);
        SceneDescription d = EveryNodeScene();
        d.frameCount = frames;
        d.ambient.assign(frames, 0x010203);
        for (WriterObject& object : d.objects)
            object.matrices.resize(object.animated ? frames : 1, TranslationMatrix(1, 2, 3));
        for (WriterCamera& camera : d.cameras) {
            camera.fov.resize(frames, 0.5f);
            camera.matrices.resize(frames, TranslationMatrix(4, 5, 6));
        }
        for (WriterLight& light : d.lights) light.frames.resize(light.animated ? frames : 1);
        ASSERT_EQ(CheckScene(d), "");
        FreeScene(&scene);
        animationMemoryCounter = 0;
        Load(d);
        // Every entry is read back (the sanitizer build catches a short
        // array), and the per-frame arrays are exactly as large as needed.
        ExpectSceneMatches(d, scene, false);
        EXPECT_EQ(animationMemoryCounter, AnimationBytes(d));
    }
}

TEST_F(SceneReaderTest, StaticObjectsAndLightsReadOneRecordAnimatedOnesOnePerFrame) {
    SceneDescription d = EveryNodeScene();
    // One static and one animated of each, followed by further nodes: a wrong
    // record count would shift everything after it.
    d.objects[0].animated = false;
    d.objects[1].animated = true;
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ASSERT_EQ(scene.objectCount, 2);
    EXPECT_EQ(scene.objects[0].animated, 0);
    EXPECT_EQ(scene.objects[1].animated, 1);
    EXPECT_EQ(scene.lights[0].animated, 0);
    EXPECT_EQ(scene.lights[1].animated, 1);
    ExpectSceneMatches(d, scene, false);
}

TEST_F(SceneReaderTest, LightColourArithmetic) {
    SceneDescription d = OneFrameScene();
    d.frameCount = 2;
    d.ambient = {0, 0};
    d.cameras.clear();
    d.lights.clear();
    // Kind 0: the multiplier is replaced by 1, for every frame, and the
    // intensity doubled.
    WriterLight constant;
    constant.name = "Omni";
    constant.intensity = 0.5f;
    constant.colourMultiplier = 3.0f;
    constant.attenuation = 0;
    constant.animated = true;
    constant.frames = {{1.0f, 0.5f, 0.0f, {}, {}}, {0.5f, 0.25f, 1.0f, {}, {}}};
    // Kind 2 spot: multiplier 2 and intensity 1 scale the colour by 4.
    WriterLight spot;
    spot.name = "Spot";
    spot.spot = true;
    spot.intensity = 1.0f;
    spot.colourMultiplier = 2.0f;
    spot.attenuation = 2;
    spot.range = 250.0f;
    spot.frames = {{0.25f, 0.5f, 1.0f, {{1}, {2}, {3}}, {{0}, {0}, {1}}}};
    // Kind 1: half linear attenuation, the multiplier applies.
    WriterLight linear;
    linear.name = "Linear";
    linear.intensity = 0.25f;
    linear.colourMultiplier = 4.0f;
    linear.attenuation = 1;
    linear.frames = {{1.0f, 1.0f, 0.5f, {}, {}}};
    d.lights = {constant, spot, linear};
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ASSERT_EQ(scene.lightCount, 3);

    EXPECT_EQ(scene.lights[0].intensity, 1.0f);
    const D3DLIGHT7* omni = scene.lightFrames[0];
    EXPECT_EQ(omni[0].dltType, D3DLIGHT_POINT);
    EXPECT_EQ(FormatColour(omni[0].dcvDiffuse), "1 0.5 0 0");
    EXPECT_EQ(FormatColour(omni[0].dcvAmbient), "1 0.5 0 0");
    EXPECT_EQ(FormatColour(omni[1].dcvDiffuse), "0.5 0.25 1 0");
    EXPECT_EQ(omni[1].dvAttenuation0, 1.0f);

    const D3DLIGHT7& s = scene.lightFrames[1][0];
    EXPECT_EQ(s.dltType, D3DLIGHT_SPOT);
    EXPECT_EQ(FormatColour(s.dcvDiffuse), "1 2 4 0");
    EXPECT_EQ(s.dvAttenuation0, 0.0f);
    EXPECT_EQ(s.dvAttenuation2, 0.1f);
    EXPECT_EQ(s.dvTheta, 2.8274333f);
    EXPECT_EQ(s.dvPhi, 3.1415927f);
    EXPECT_EQ(s.dvFalloff, 1.0f);
    EXPECT_EQ(s.dvRange, 250.0f);
    EXPECT_EQ(s.dvPosition.z, 3.0f);
    EXPECT_EQ(s.dvDirection.z, 1.0f);

    const D3DLIGHT7& l = scene.lightFrames[2][0];
    EXPECT_EQ(FormatColour(l.dcvAmbient), "2 2 1 0");
    EXPECT_EQ(l.dvAttenuation1, 0.5f);
    EXPECT_EQ(l.dvAttenuation0, 0.0f);
}

TEST_F(SceneReaderTest, TranslucentDrawStyleTurnsCullingOffForEveryObjectUsingIt) {
    SceneDescription d = OneFrameScene();
    d.drawStyles.push_back({0.5f, 0.5f, 0.5f, 0.25f, "glass.tga"});
    d.objects.push_back(CubeObject("Glass", 1.0f, 1));
    WriterObject mixed = CubeObject("Mixed", 1.0f, 0);
    mixed.parts.push_back(mixed.parts[0]);
    mixed.parts[1].drawStyle = 1;
    d.objects.push_back(mixed);
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ASSERT_EQ(scene.objectCount, 3);
    EXPECT_EQ(scene.drawStyles[1].material.diffuse.a, 0.75f);
    EXPECT_EQ(scene.drawStyles[1].material.ambient.a, 0.75f);
    EXPECT_EQ(scene.objects[0].cullBackfaces, 1);
    EXPECT_EQ(scene.objects[1].cullBackfaces, 0);
    EXPECT_EQ(scene.objects[2].cullBackfaces, 0);
    EXPECT_EQ(LogLinesStarting("QX3:\t\t0.750000\tmaterial transparency").size(), 1u);
}

TEST_F(SceneReaderTest, PolygonIndicesKeepTheirLow16Bits) {
    SceneDescription d = OneFrameScene();
    WriterPart& part = d.objects[0].parts[0];
    part.polygons[0] = {65536 + 5, 0x7FFF0000 + 1, -65536 + 2};
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ASSERT_EQ(scene.objectCount, 1);
    const Polygon& polygon = scene.objects[0].partPolygons[0][0];
    EXPECT_EQ(polygon.index[0], 5);
    EXPECT_EQ(polygon.index[1], 1);
    EXPECT_EQ(polygon.index[2], 2);
}

TEST_F(SceneReaderTest, NodeTypesAreComparedExactlyAndOthersHaveNoBody) {
    SceneDescription d = OneFrameScene();
    // Lower-case and near-miss type strings are shape and helper nodes of
    // their own: the node after them must still be read.
    d.shapes = {"*geomobject", "*CAMERA "};
    d.helpers = {"*LightObject"};
    d.nodeOrder = {{NodeKind::Shape, 0}, {NodeKind::Object, 0}, {NodeKind::Helper, 0},
                   {NodeKind::Shape, 1}, {NodeKind::Camera, 0}, {NodeKind::Light, 0}};
    ASSERT_EQ(CheckScene(d), "");
    Load(d);
    ExpectSceneMatches(d, scene, false);
    EXPECT_TRUE(LogLinesStarting("ERROR:\t\tscene.QX3\tQX3file damaged").empty());
}

TEST_F(SceneReaderTest, TexturesAreCreatedUnderTheirBareNamesWithLocalPath) {
    localPath = 1;
    SceneDescription d = EveryNodeScene();
    fakeTextures.hasAlpha["glass.tga"] = 1;
    fakeTextures.hasAlpha["wall.jpg"] = 2;  // only exactly 1 counts
    Load(d);
    ExpectSceneMatches(d, scene, true);
    EXPECT_EQ(scene.drawStyles[0].hasAlpha, 0);
    EXPECT_EQ(scene.drawStyles[1].hasAlpha, 1);
    EXPECT_EQ(fakeTextures.calls[0], "CreateTexture wall.jpg 0 0");
    EXPECT_EQ(fakeTextures.calls[2], "CreateTexture glass.tga 0 0");
    EXPECT_EQ(LogLinesStarting("QX3:\t\tmaps\\wall.jpg\tmaterial texture name").size(), 1u);
}

TEST_F(SceneReaderTest, TraceOfOneFileLineByLine) {
    SceneDescription d;
    d.frameCount = 2;
    d.ambient = {0x0A0B0C, 0xFF8001};
    d.drawStyles = {{1.0f, 0.5f, 0.25f, 0.25f, "brick.png"}, {0.0f, 0.0f, 0.0f, 0.0f, "missing.jpg"}};
    WriterObject box;
    box.name = "Box";
    box.parentName = "Root";
    box.animated = true;
    box.parts = {WriterPart{0, -1, {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}}, {{0, 1, 2}}}};
    box.matrices = {IdentityMatrix(), TranslationMatrix(1, 0, 0)};
    d.objects = {box};
    d.cameras = {WriterCamera{"Cam", {0.5f, 0.6f}, {IdentityMatrix(), IdentityMatrix()}}};
    WriterLight spot;
    spot.name = "Spot";
    spot.spot = true;
    spot.frames = {WriterLightFrame{}};
    d.lights = {spot};
    d.shapes = {"*geomobject"};
    d.helpers = {"*HELPER"};
    d.nodeOrder = {{NodeKind::Shape, 0}, {NodeKind::Object, 0}, {NodeKind::Camera, 0},
                   {NodeKind::Light, 0}, {NodeKind::Helper, 0}};
    ASSERT_EQ(CheckScene(d), "");
    fakeTextures.missing.insert("missing.jpg");
    fakeTextures.hasAlpha["brick.png"] = 1;
    Load(d, "trace.QX3");

    const std::vector<std::string> expected = {
        "ERROR:\t\ttrace.QX3\tfile not found in datafile",
        "",
        "QX3:\t\ttrace.QX3\tQX3file opend",
        "QX3:\t\tframe:0 red:10 green:11 blue:12\t\tscene ambient light",
        "QX3:\t\tframe:1 red:255 green:128 blue:1\t\tscene ambient light",
        "QX3:\t\t2\tscene frame count",
        "QX3:\t\t2\tdrawstyle count",
        "QX3:\t\t1.000000 0.500000 0.250000\tmaterial ambient color",
        "QX3:\t\t0.750000\tmaterial transparency",
        "QX3:\t\tbrick.png\tmaterial texture name",
        "Texture:\tbrick.png\tTexture read (Drawstyle\t0)",
        "Texture:\tbrick.png\thas alpha source:1\t(0=false, 1=true)",
        "QX3:\t\t0.000000 0.000000 0.000000\tmaterial ambient color",
        "QX3:\t\t1.000000\tmaterial transparency",
        "QX3:\t\tmissing.jpg\tmaterial texture name",
        "ERROR:\t\tmissing.jpg\tTexture NOT read (Drawstyle\t1)",
        "QX3:\t\t1\tobject count",
        "QX3:\t\t1\tcamera count",
        "QX3:\t\t1\tlight count",
        "QX3:\t\t1\tshape count",
        "QX3:\t\t1\thelper count",
        "QX3:\t\t*geomobject, 0\tnode type, node number",
        "QX3:\t\t*GEOMOBJECT, 1\tnode type, node number",
        "QX3:\t\tBox\tobject name",
        "QX3:\t\tRoot\tobject parent name",
        "QX3:\t\t3\tvertexen read",
        "QX3:\t\t1\tpolys read",
        "QX3:\t\t1\t0: object isn't animated, 1: object is animated ",
        "QX3:\t\t2\trotation matrixen read",
        "QX3:\t\t*CAMERA, 2\tnode type, node number",
        "QX3:\t\tCam\tcamera name",
        "QX3:\t\t\tcamera read",
        "QX3:\t\t*LIGHTOBJECT, 3\tnode type, node number",
        "QX3:\t\tSpot\tlight name",
        "QX3:\t\t\tlight read",
        "QX3:\t\t*HELPER, 4\tnode type, node number",
        "QX3:\t\ttrace.QX3\tQX3file closed",
        "",
        "ERROR:\t\ttrace.VIS\tfile not found in datafile",
        "",
        "Visability:\t\t\t\tinit done",
        "Visability:\t\t\t\ttrace.VIS, read visability done",
    };
    std::vector<std::string> lines = LogLines();
    for (size_t i = 0; i < expected.size() && i < lines.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i;
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_EQ(device.calls, std::vector<std::string>{"LightEnable 0 0"});
}

TEST_F(SceneReaderTest, MissingFileLeavesTheSceneEmptyWithOneErrorLine) {
    LoadFile("absent.QX3");
    EXPECT_EQ(scene.objectCount + scene.cameraCount + scene.lightCount + scene.drawStyleCount +
                  scene.frameCount,
              0);
    EXPECT_EQ(scene.framesPerSecond, 30.0f);
    EXPECT_STREQ(scene.fileName, "absent.QX3");
    EXPECT_EQ(LogLinesStarting("ERROR:\t\tabsent.QX3\tQX3file NOT opend").size(), 1u);
    EXPECT_TRUE(device.calls.empty());
}

}  // namespace
