#include "render/scene_renderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "render/display.h"
#include "scene_builder/scene_builder.h"
#include "state/engine_state.h"
#include "support/fake_texture_cache.h"
#include "support/recording_device.h"

using namespace velmora::tools;
using velmora::testing::FakeSurface;
using velmora::testing::RecordingDevice;

namespace {

std::string Word(const std::string& line, int index) {
    std::istringstream words(line);
    std::string word;
    for (int i = 0; i <= index && (words >> word); ++i) {
    }
    return word;
}

std::string Pointer(LPDIRECTDRAWSURFACE7 surface) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", static_cast<void*>(surface));
    return text;
}

class RenderSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        d3dDevice = &device;
        screenWidth = 640;
        screenHeight = 480;
        velmora::testing::ResetFakeTextures();
    }
    void TearDown() override { d3dDevice = nullptr; }

    // The calls with matrices, materials and vertex data left out, and
    // texture surfaces named.
    std::vector<std::string> Summary() const {
        std::vector<std::string> out;
        for (const std::string& call : device.calls) {
            std::string method = Word(call, 0);
            if (method == "SetTransform" || method == "SetLight")
                out.push_back(method + " " + Word(call, 1));
            else if (method == "SetMaterial")
                out.push_back("SetMaterial");
            else if (method == "DrawIndexedPrimitive")
                out.push_back("Draw");
            else if (method == "SetTexture")
                out.push_back("SetTexture " + TextureNameOf(Word(call, 2)));
            else
                out.push_back(call);
        }
        return out;
    }
    std::string TextureNameOf(const std::string& pointer) const {
        for (const auto& [name, surface] : velmora::testing::fakeTextures.surfaces)
            if (Pointer(surface) == pointer) return name;
        return "none";
    }
    // Diffuse alpha of each SetMaterial, in order.
    std::vector<float> MaterialAlphas() const {
        std::vector<float> alphas;
        for (const std::string& call : device.CallsOf("SetMaterial"))
            alphas.push_back(std::stof(Word(call, 4)));
        return alphas;
    }
    std::vector<DWORD> RenderStates(D3DRENDERSTATETYPE state) const {
        std::vector<DWORD> values;
        for (const std::string& call : device.CallsOf("SetRenderState"))
            if (std::stoi(Word(call, 1)) == state) values.push_back(static_cast<DWORD>(std::stoul(Word(call, 2))));
        return values;
    }

    RecordingDevice device;
};

TEST_F(RenderSceneTest, OneCameraPassInItsOrder) {
    FakeSurface("a.jpg");
    FakeSurface("b.jpg");
    SceneBuilder builder(1);
    int opaqueA = builder.AddDrawStyle(Material(1, 0, 0), "a.jpg");
    int translucentB = builder.AddDrawStyle(Material(0, 1, 0, 0.5f), "b.jpg");
    int opaqueB = builder.AddDrawStyle(Material(0, 0, 1), "B.JPG");
    builder.AddObject({Quad(1, opaqueA), Quad(1, translucentB), Quad(1, opaqueB)}, {IdentityMatrix()}, 1, 1);
    builder.AddCamera({IdentityMatrix()});
    builder.AddLight({PointLight(0, 0, 0, 1, 1, 1)});
    builder.SetAmbient(0x102030);

    EXPECT_EQ(RenderScene(builder.Build(0.0f)), S_OK);
    std::vector<std::string> expected = {
        "BeginScene", "SetLight 0",
        "SetRenderState 139 1056816", "Clear 0 null 2 0x00000000 1 0",
        "SetRenderState 19 5", "SetRenderState 20 6", "SetTransform 3", "SetTransform 2",
        // Opaque pass: the object's set-up, then its first and third parts.
        "SetRenderState 19 5", "SetRenderState 20 6", "SetTransform 1", "SetRenderState 22 2",
        "SetRenderState 9 1",
        "SetMaterial", "SetTexture a.jpg", "Draw", "SetMaterial", "SetTexture b.jpg", "Draw",
        "SetRenderState 14 0",
        // Translucent pass: the set-up again, then the second part with its own first binding.
        "SetRenderState 19 5", "SetRenderState 20 6", "SetTransform 1", "SetRenderState 22 2",
        "SetRenderState 9 1",
        "SetMaterial", "SetTexture b.jpg", "Draw",
        "SetRenderState 14 1", "EndScene"};
    EXPECT_EQ(Summary(), expected);
}

TEST_F(RenderSceneTest, TextureNamesDifferingInCaseBindOnce) {
    FakeSurface("wall.jpg");
    SceneBuilder builder(1);
    int lower = builder.AddDrawStyle(Material(1, 1, 1), "wall.jpg");
    int upper = builder.AddDrawStyle(Material(1, 1, 1), "WALL.JPG");
    int untextured = builder.AddDrawStyle(Material(1, 1, 1), "");
    builder.AddObject({Quad(1, lower), Quad(1, upper), Quad(1, untextured), Quad(1, lower)}, {IdentityMatrix()});
    builder.AddObject({Quad(1, lower)}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()});
    RenderScene(builder.Build(0.0f));
    // A name the cache does not hold binds no texture; each object starts afresh.
    std::vector<std::string> textures;
    for (const std::string& call : Summary())
        if (call.rfind("SetTexture", 0) == 0) textures.push_back(call);
    EXPECT_EQ(textures, (std::vector<std::string>{"SetTexture wall.jpg", "SetTexture none",
                                                   "SetTexture wall.jpg", "SetTexture wall.jpg"}));
}

TEST_F(RenderSceneTest, HiddenPartsAreSkippedAndDoNotCountForRebinding) {
    FakeSurface("a.jpg");
    FakeSurface("b.jpg");
    SceneBuilder builder(2);
    int a = builder.AddDrawStyle(Material(1, 1, 1), "a.jpg");
    int b = builder.AddDrawStyle(Material(1, 1, 1), "b.jpg");
    builder.AddObject({Quad(1, a), Quad(1, b), Quad(1, a)}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()});
    builder.HidePart(0, 0, 1, 1);  // frame 1 only
    RenderScene(builder.Build(1.0f));
    EXPECT_EQ(device.CallsOf("DrawIndexedPrimitive").size(), 2u);
    EXPECT_EQ(device.CallsOf("SetTexture").size(), 1u);  // a, then a again
    device.calls.clear();
    RenderScene(builder.Build(0.0f));
    EXPECT_EQ(device.CallsOf("DrawIndexedPrimitive").size(), 3u);
}

TEST_F(RenderSceneTest, FrameIndicesAndInterpolation) {
    SceneBuilder builder(3);
    builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1)))},
                      {Translation(0, 0, 0), Translation(10, 0, 0), Translation(20, 40, 0)});
    builder.AddCamera({Translation(100, 0, 0), Translation(200, 0, 0), Translation(300, 0, 0)});
    D3DLIGHT7 first = PointLight(0, 0, 0, 1, 0, 0), last = PointLight(8, 0, 0, 0, 1, 0);
    last.dltType = D3DLIGHT_SPOT;
    builder.AddLight({first, PointLight(4, 0, 0, 0, 0, 1), last});

    // 2.25 of 3 frames: cur 2, next 0 (the last frame blends towards the first), f 0.25.
    RenderScene(builder.Build(2.25f));
    EXPECT_FLOAT_EQ(device.world._41, 0.75f * 20.0f);
    EXPECT_FLOAT_EQ(device.world._42, 0.75f * 40.0f);
    EXPECT_FLOAT_EQ(device.view._41, 0.75f * 300.0f + 0.25f * 100.0f);
    ASSERT_EQ(device.lights.size(), 1u);
    EXPECT_EQ(device.lights[0].dltType, D3DLIGHT_SPOT);  // the type of frame cur
    EXPECT_FLOAT_EQ(device.lights[0].dvPosition.x, 0.75f * 8.0f);
    EXPECT_FLOAT_EQ(device.lights[0].dcvDiffuse.r, 0.25f);
    EXPECT_FLOAT_EQ(device.lights[0].dcvDiffuse.g, 0.75f);
}

TEST_F(RenderSceneTest, BlurPassesRunOldestFirstAndWrap) {
    SceneBuilder builder(10);
    std::vector<D3DMATRIX> views;
    for (int f = 0; f < 10; ++f) views.push_back(Translation(static_cast<float>(f), 0, 0));
    builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1)))}, {IdentityMatrix()});
    int camera = builder.AddCamera(views, 1.0f, 0.7853982f, 3);
    for (int f = 0; f < 10; ++f) builder.Ambient()[f] = static_cast<uint32_t>(f);
    for (int f = 0; f < 10; ++f) builder.Fov(camera)[f] = 0.5f + 0.1f * f;

    RenderScene(builder.Build(1.5f));
    // (f0, f1) = (9, 0), (0, 1), (1, 2): ambient and field of view from f0,
    // the view halfway between f0 and f1.
    EXPECT_EQ(RenderStates(D3DRENDERSTATE_AMBIENT), (std::vector<DWORD>{9, 0, 1}));
    EXPECT_EQ(device.CallsOf("Clear").size(), 3u);
    std::vector<float> viewX, projectionX;
    for (const std::string& call : device.CallsOf("SetTransform 2")) viewX.push_back(std::stof(Word(call, 14)));
    EXPECT_EQ(viewX, (std::vector<float>{4.5f, 0.5f, 1.5f}));
    std::vector<std::string> projections = device.CallsOf("SetTransform 3");
    ASSERT_EQ(projections.size(), 3u);
    EXPECT_NE(projections[0], projections[1]);
}

TEST_F(RenderSceneTest, NoBlurFramesDrawsNothingButSetsTheLights) {
    SceneBuilder builder(1);
    builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1)))}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()}, 1.0f, 0.78f, 0);
    builder.AddLight({PointLight(0, 0, 0, 1, 1, 1)});
    RenderScene(builder.Build(0.0f));
    EXPECT_EQ(Summary(), (std::vector<std::string>{"BeginScene", "SetLight 0", "EndScene"}));
}

TEST_F(RenderSceneTest, TrailsBelowZeroFramesDrawNothingAndEnd) {
    // The lowest int as a trail: counting its passes must not wrap round to
    // the highest (a frame that would never end); -1 is no pass either.
    for (int32_t trail : {-2147483647 - 1, -1}) {
        device.calls.clear();
        SceneBuilder builder(4);
        builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1)))}, {IdentityMatrix()});
        builder.AddCamera({IdentityMatrix(), IdentityMatrix(), IdentityMatrix(), IdentityMatrix()}, 1.0f,
                          0.78f, trail);
        builder.AddCamera({IdentityMatrix(), IdentityMatrix(), IdentityMatrix(), IdentityMatrix()}, 1.0f,
                          0.78f, 1);
        EXPECT_EQ(RenderScene(builder.Build(2.0f)), S_OK);
        // Only the second camera's one pass.
        EXPECT_EQ(device.CallsOf("Clear").size(), 1u) << trail;
        EXPECT_EQ(device.CallsOf("DrawIndexedPrimitive").size(), 1u) << trail;
        EXPECT_EQ(device.calls.back(), "EndScene") << trail;
    }
}

TEST_F(RenderSceneTest, FreshSceneAndFailedBeginScene) {
    SceneBuilder builder(2);
    builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1)))}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()});
    builder.AddLight({PointLight(0, 0, 0, 1, 1, 1)});
    EXPECT_EQ(RenderScene(builder.Build(-1.0f)), S_OK);
    EXPECT_EQ(Summary(), (std::vector<std::string>{"BeginScene", "EndScene"}));

    device.calls.clear();
    device.beginSceneResult = static_cast<HRESULT>(0x88760000 | 781);
    EXPECT_EQ(RenderScene(builder.Build(0.0f)), E_FAIL);
    EXPECT_EQ(Summary(), (std::vector<std::string>{"BeginScene"}));

    // A position past the last frame, or no device, draws nothing rather than
    // reading beyond the arrays.
    device.calls.clear();
    device.beginSceneResult = S_OK;
    EXPECT_EQ(RenderScene(builder.Build(7.0f)), S_OK);
    EXPECT_EQ(Summary(), (std::vector<std::string>{"BeginScene", "EndScene"}));
    d3dDevice = nullptr;
    EXPECT_EQ(RenderScene(builder.Build(0.0f)), E_FAIL);
}

TEST_F(RenderSceneTest, CameraBlendRules) {
    SceneBuilder builder(4);
    int opaque = builder.AddDrawStyle(Material(1, 1, 1));
    int half = builder.AddDrawStyle(Material(1, 1, 1, 0.5f));
    builder.AddObject({Quad(1, opaque), Quad(1, half)}, {IdentityMatrix()});
    builder.AddObject({Quad(1, opaque)}, {IdentityMatrix()}, 1, 2, 1);  // an overlay object
    int camera = builder.AddCamera({IdentityMatrix()});
    builder.Blend(camera) = {-1.0f, 1.0f, 0.3f, 1.5f};

    RenderScene(builder.Build(0.0f));  // exactly -1: skipped
    EXPECT_TRUE(device.CallsOf("Clear").empty());

    device.calls.clear();
    RenderScene(builder.Build(1.0f));  // 1.0: alpha blending, opaque alpha 1; overlay additive
    EXPECT_EQ(RenderStates(D3DRENDERSTATE_SRCBLEND), (std::vector<DWORD>{5, 5, 2, 5, 2}));
    EXPECT_EQ(RenderStates(D3DRENDERSTATE_DESTBLEND), (std::vector<DWORD>{6, 6, 2, 6, 2}));
    EXPECT_EQ(MaterialAlphas(), (std::vector<float>{1.0f, 1.0f, 0.5f}));

    device.calls.clear();
    RenderScene(builder.Build(2.0f));  // 0.3: opaque parts take 0.3, translucent the smaller
    EXPECT_EQ(MaterialAlphas(), (std::vector<float>{0.3f, 0.3f, 0.3f}));

    device.calls.clear();
    RenderScene(builder.Build(3.0f));  // above 1: additive for every object, alpha is the blend
    for (DWORD value : RenderStates(D3DRENDERSTATE_SRCBLEND)) EXPECT_EQ(value, 2u);
    for (DWORD value : RenderStates(D3DRENDERSTATE_DESTBLEND)) EXPECT_EQ(value, 2u);
    EXPECT_EQ(MaterialAlphas(), (std::vector<float>{1.5f, 1.5f, 0.5f}));
}

TEST_F(RenderSceneTest, TranslucentPartUnderAHigherBlendKeepsItsAlpha) {
    SceneBuilder builder(1);
    builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1, 0.5f)))}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()}, 0.8f);
    RenderScene(builder.Build(0.0f));
    EXPECT_EQ(MaterialAlphas(), (std::vector<float>{0.5f}));
    // Drawn after the depth writes were switched off.
    std::vector<std::string> summary = Summary();
    auto zOff = std::find(summary.begin(), summary.end(), "SetRenderState 14 0");
    auto draw = std::find(summary.begin(), summary.end(), "Draw");
    EXPECT_LT(zOff, draw);
}

TEST_F(RenderSceneTest, AmbientSumCarriesAndClamps) {
    SceneBuilder builder(4);
    builder.AddObject({Quad(1, builder.AddDrawStyle(Material(1, 1, 1)))}, {IdentityMatrix()});
    int camera = builder.AddCamera({IdentityMatrix()});
    builder.Ambient() = {0x0000FF, 0x000010, 0xFFFFF0, 0x808080};
    builder.ExtraAmbient(camera) = {1, -0x20, 0x20, INT32_MAX};
    for (int f = 0; f < 4; ++f) RenderScene(builder.Build(static_cast<float>(f)));
    EXPECT_EQ(RenderStates(D3DRENDERSTATE_AMBIENT),
              (std::vector<DWORD>{0x000100, 0, 0xFFFFFF, 0xFFFFFF}));
}

TEST(InterpolateTest, MatrixAndLightUseTheFractionOnly) {
    D3DMATRIX a = Translation(2, 4, 8), b = Translation(6, 0, 8);
    a._12 = 1.0f;
    D3DMATRIX m = InterpolateMatrix(7.25f, a, b);
    EXPECT_FLOAT_EQ(m._41, 3.0f);
    EXPECT_FLOAT_EQ(m._42, 3.0f);
    EXPECT_FLOAT_EQ(m._43, 8.0f);
    EXPECT_FLOAT_EQ(m._12, 0.75f);
    EXPECT_FLOAT_EQ(m._44, 1.0f);

    D3DLIGHT7 p = PointLight(0, 0, 0, 1, 1, 1, 100.0f), q = PointLight(10, 20, 30, 0, 0, 0, 300.0f);
    q.dltType = D3DLIGHT_SPOT;
    p.dvTheta = 0.2f;
    q.dvTheta = 0.6f;
    q.dvPhi = 1.0f;
    q.dvAttenuation2 = 4.0f;
    q.dcvSpecular.g = 2.0f;
    D3DLIGHT7 l = InterpolateLight(0.5f, p, q);
    EXPECT_EQ(l.dltType, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(l.dvPosition.z, 15.0f);
    EXPECT_FLOAT_EQ(l.dvRange, 200.0f);
    EXPECT_FLOAT_EQ(l.dcvDiffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(l.dcvSpecular.g, 1.0f);
    EXPECT_FLOAT_EQ(l.dvTheta, 0.4f);
    EXPECT_FLOAT_EQ(l.dvPhi, 0.5f);
    EXPECT_FLOAT_EQ(l.dvAttenuation0, 1.0f);
    EXPECT_FLOAT_EQ(l.dvAttenuation2, 2.0f);
    // A whole t gives the first matrix exactly.
    D3DMATRIX whole = InterpolateMatrix(3.0f, a, b);
    EXPECT_EQ(std::memcmp(&whole, &a, sizeof a), 0);
}

}  // namespace
