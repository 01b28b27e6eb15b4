// Depth on OpenGL under both of the back end's paths: the one where every
// fragment writes its depth, and reversed depth under clip control. Each
// comparison function, the depth-write switch, the w-buffer and the plain
// z-buffer must order surfaces alike on both.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

#include <cstdio>

#include "gl/gl_test_support.h"
#include "render_bench/bench_scene.h"
#include "support/temp_files.h"
#include "texture/texture_cache.h"
#include "platform/ddraw/display_objects.h"
#include "platform/gl/gl_render_device.h"
#include "scene_builder/scene_builder.h"

using namespace velmora::tools;
using namespace velmora::testing;
using velmora::platform::gl::DepthPath;

namespace velmora::platform::gl {
void PrintTo(DepthPath path, std::ostream* out) { *out << (path == DepthPath::Reversed ? "reversed" : "written"); }
}  // namespace velmora::platform::gl

namespace {

struct Colour {
    float r, g, b;
};
constexpr Colour kRed{1, 0, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1};

const char* PathName(DepthPath path) { return path == DepthPath::Reversed ? "reversed" : "written"; }

// The old API's perspective projection with the planes given.
D3DMATRIX Projection(float nearPlane, float farPlane) {
    D3DMATRIX m{};
    const float c = std::cos(0.3926991f) / std::sin(0.3926991f);  // 45 degrees
    m._11 = c;
    m._22 = c * 1.3f;
    m._33 = farPlane / (farPlane - nearPlane);
    m._34 = 1.0f;
    m._43 = -m._33 * nearPlane;
    return m;
}

class DepthPathTest : public GlRenderTest, public ::testing::WithParamInterface<DepthPath> {
protected:
    void SetUp() override {
        GlRenderTest::SetUp();
        if (HasFatalFailure()) return;
        // The display again, on the path asked for.
        velmora::platform::ReleaseDisplayObjects();
        primarySurface = backBuffer = zBuffer = nullptr;
        d3dDevice = nullptr;
        velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
        settings.classicDepth = GetParam() == DepthPath::Written;
        velmora::platform::UsePlatformSettings(settings);
        ASSERT_EQ(CreateDisplay(velmora::platform::MainWindow()), S_OK);
        InitRenderStates(d3dDevice);
        ASSERT_NE(velmora::platform::DisplayBackEnd(), nullptr);
        auto path = velmora::platform::gl::DepthPathOf(*velmora::platform::DisplayBackEnd());
        ASSERT_TRUE(path.has_value());
        if (*path != GetParam()) GTEST_SKIP() << "this OpenGL has no clip control: only the written path";

        d3dDevice->BeginScene();
        D3DMATRIX identity = IdentityMatrix();
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
        d3dDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
        d3dDevice->SetTexture(0, nullptr);
    }
    void TearDown() override {
        if (d3dDevice) d3dDevice->EndScene();
        GlRenderTest::TearDown();
    }

    void SetPlanes(float nearPlane, float farPlane) {
        D3DMATRIX projection = Projection(nearPlane, farPlane);
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    }

    // A rectangle from x1 to x2 and y1 to y2 on screen (as shares of the
    // width and height, left to right, top to bottom), lying where the eye
    // distance is distance + slope * x; unlit in its colour.
    void DrawRectangle(float x1, float x2, float y1, float y2, float distance, Colour colour,
                       float slope = 0.0f) {
        D3DMATERIAL7 material = Material(colour.r, colour.g, colour.b);
        d3dDevice->SetMaterial(&material);
        // Screen shares back to camera space: x = ndc x * w / _11, y likewise.
        const D3DMATRIX projection = Projection(1, 2);
        std::vector<Vertex> corners;
        for (auto [sx, sy] : {std::pair{x1, y1}, std::pair{x2, y1}, std::pair{x2, y2}, std::pair{x1, y2}}) {
            float ndcX = 2.0f * sx - 1.0f, ndcY = 1.0f - 2.0f * sy;
            // Solve w = distance + slope * x with x = ndcX * w / _11.
            float w = distance / (1.0f - slope * ndcX / projection._11);
            Vertex v{};
            v.x = ndcX * w / projection._11;
            v.y = ndcY * w / projection._22;
            v.z = w;
            v.nz = -1.0f;
            corners.push_back(v);
        }
        WORD indices[6] = {0, 1, 2, 0, 2, 3};
        ASSERT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, corners.data(), 4, indices, 6, 0),
                  D3D_OK);
    }
    void Fill(float distance, Colour colour) { DrawRectangle(-0.1f, 1.1f, -0.1f, 1.1f, distance, colour); }
    void ClearDepth(float z) {
        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, z, 0);
    }
    // How many pixels of the image are mostly the colour's channel.
    static size_t Count(const Image& image, int shift) {
        size_t count = 0;
        for (uint32_t p : image.pixels) count += Channel(p, shift) > 128;
        return count;
    }
};

TEST_P(DepthPathTest, SurfacesOneUnitApartDoNotFightAtTenThousandNorAtAMillion) {
    // Two walls one unit apart, facing the camera or turned a little, drawn
    // in both orders: the nearer must win everywhere. A million away the far
    // plane is moved out past them.
    d3dDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_USEW);
    struct Case {
        float distance, farPlane, slope;
    };
    for (Case c : {Case{10000, 1000000, 0}, Case{10000, 1000000, 0.05f}, Case{1000000, 10000000, 0},
                   Case{1000000, 10000000, 0.05f}}) {
        SetPlanes(1.0f, c.farPlane);
        for (bool nearFirst : {true, false}) {
            SCOPED_TRACE(std::string(PathName(GetParam())) + (nearFirst ? ", near first" : ", far first") +
                         " at " + std::to_string(c.distance) + ", slope " + std::to_string(c.slope));
            ClearDepth(1.0f);
            for (int wall = 0; wall < 2; ++wall) {
                bool nearWall = (wall == 0) == nearFirst;
                DrawRectangle(-0.1f, 1.1f, -0.1f, 1.1f, c.distance + (nearWall ? 0.0f : 1.0f),
                              nearWall ? kGreen : kRed, c.slope);
            }
            Image image = ReadBack();
            EXPECT_EQ(Count(image, 16), 0u);
            EXPECT_EQ(Count(image, 8), image.pixels.size());
        }
    }
}

// Which of a nearer, an equal and a farther surface each comparison lets through.
struct Comparison {
    D3DCMPFUNC function;
    const char* name;
    bool nearer, equal, farther;
};
constexpr Comparison kComparisons[] = {
    {D3DCMP_NEVER, "never", false, false, false},
    {D3DCMP_LESS, "less", true, false, false},
    {D3DCMP_EQUAL, "equal", false, true, false},
    {D3DCMP_LESSEQUAL, "less or equal", true, true, false},
    {D3DCMP_GREATER, "greater", false, false, true},
    {D3DCMP_NOTEQUAL, "not equal", true, false, true},
    {D3DCMP_GREATEREQUAL, "greater or equal", false, true, true},
    {D3DCMP_ALWAYS, "always", true, true, true},
};

TEST_P(DepthPathTest, EveryComparisonLetsThroughWhatItSaysUnderTheWBufferAndTheZBuffer) {
    // A red wall at 20 written first; then under the comparison a green
    // rectangle nearer (10, left third), one as far (20, middle third) and
    // a blue one farther (30, right third).
    SetPlanes(1.0f, 1000.0f);
    for (DWORD mode : {DWORD{D3DZB_USEW}, DWORD{D3DZB_TRUE}}) {
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, mode);
        for (const Comparison& c : kComparisons) {
            SCOPED_TRACE(std::string(PathName(GetParam())) + (mode == D3DZB_USEW ? ", w-buffer, " : ", z-buffer, ") +
                         c.name);
            ClearDepth(1.0f);
            d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
            Fill(20, kRed);
            d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, c.function);
            DrawRectangle(0.0f, 0.3f, 0.2f, 0.8f, 10, kGreen);
            DrawRectangle(0.35f, 0.65f, 0.2f, 0.8f, 20, kGreen);
            DrawRectangle(0.7f, 1.0f, 0.2f, 0.8f, 30, kBlue);
            Image image = ReadBack();
            auto expect = [&](int x, bool through, Colour drawn) {
                ExpectColour(image.At(x, kHeight / 2), through ? drawn.r : 1, through ? drawn.g : 0,
                             through ? drawn.b : 0);
            };
            expect(kWidth * 15 / 100, c.nearer, kGreen);
            expect(kWidth / 2, c.equal, kGreen);
            expect(kWidth * 85 / 100, c.farther, kBlue);
        }
    }
    d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
}

TEST_P(DepthPathTest, DepthIsWrittenOnlyWithZWriteOnAndClearsIgnoreTheSwitch) {
    SetPlanes(1.0f, 1000000.0f);
    for (DWORD mode : {DWORD{D3DZB_USEW}, DWORD{D3DZB_TRUE}}) {
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, mode);
        for (BOOL write : {TRUE, FALSE}) {
            SCOPED_TRACE(std::string(PathName(GetParam())) + (mode == D3DZB_USEW ? ", w-buffer" : ", z-buffer") +
                         (write ? ", z-write on" : ", z-write off"));
            d3dDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, write);
            // The clear reaches the depth even with z-write off: a wall at
            // 50 then shows wherever it lies.
            ClearDepth(1.0f);
            Fill(50, kRed);
            // A nearer rectangle at 10, then one at 30 over it: the second
            // is hidden only where the first wrote its depth.
            DrawRectangle(0.2f, 0.8f, 0.2f, 0.8f, 10, kGreen);
            DrawRectangle(0.1f, 0.9f, 0.1f, 0.9f, 30, kBlue);
            Image image = ReadBack();
            uint32_t centre = image.At(kWidth / 2, kHeight / 2);
            if (write) {
                ExpectColour(centre, 0, 1, 0);
            } else {
                ExpectColour(centre, 0, 0, 1);
            }
            // Where only the blue one lies, it is nearer than the wall either way.
            uint32_t rim = image.At(kWidth * 15 / 100, kHeight / 2);
            ExpectColour(rim, 0, 0, 1);
            uint32_t outside = image.At(5, 5);
            ExpectColour(outside, 1, 0, 0);
            // Without z-write the wall wrote no depth either: a rectangle at 80 still shows.
            DrawRectangle(0.0f, 0.05f, 0.0f, 0.05f, 80, kGreen);
            ExpectColour(ReadBack().At(5, 5), write ? 1 : 0, write ? 0 : 1, 0);
        }
    }
    d3dDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
}

TEST_P(DepthPathTest, ClearValuesAtTheEndsOfTheRangeMeanNearestAndFarthest) {
    SetPlanes(1.0f, 1000.0f);
    for (DWORD mode : {DWORD{D3DZB_USEW}, DWORD{D3DZB_TRUE}}) {
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, mode);
        SCOPED_TRACE(std::string(PathName(GetParam())) + (mode == D3DZB_USEW ? ", w-buffer" : ", z-buffer"));
        // Cleared to 0 (the near plane), nothing lies nearer or as near...
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
        ClearDepth(0.0f);
        Fill(5, kGreen);
        EXPECT_EQ(ReadBack().At(kWidth / 2, kHeight / 2), 0u);
        // ... and everything lies farther.
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_GREATER);
        Fill(900, kGreen);
        ExpectColour(ReadBack().At(kWidth / 2, kHeight / 2), 0, 1, 0);
        // Cleared to 1, everything drawn lies nearer, up to the far plane.
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
        ClearDepth(1.0f);
        Fill(990, kBlue);
        ExpectColour(ReadBack().At(kWidth / 2, kHeight / 2), 0, 0, 1);
    }
    d3dDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL);
}

TEST_P(DepthPathTest, TheFarPlaneClipsUnderBothBuffers) {
    // Far plane at 100: a wall at 99 shows, one at 101 does not.
    SetPlanes(1.0f, 100.0f);
    for (DWORD mode : {DWORD{D3DZB_USEW}, DWORD{D3DZB_TRUE}}) {
        d3dDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, mode);
        SCOPED_TRACE(std::string(PathName(GetParam())) + (mode == D3DZB_USEW ? ", w-buffer" : ", z-buffer"));
        ClearDepth(1.0f);
        DrawRectangle(0.0f, 0.5f, 0.0f, 1.0f, 99, kGreen);
        DrawRectangle(0.5f, 1.0f, 0.0f, 1.0f, 101, kGreen);
        Image image = ReadBack();
        ExpectColour(image.At(kWidth / 4, kHeight / 2), 0, 1, 0);
        EXPECT_EQ(image.At(kWidth * 3 / 4, kHeight / 2), 0u);
    }
}

TEST_P(DepthPathTest, TheOverdrawBenchSceneShowsItsNearestWallsInBothDrawingOrders) {
    // The benchmark's overdraw scene, and the same scene with only the
    // nearest wall of each stack: the two pictures must be one, the stack
    // drawn back to front and the one drawn front to back alike.
    d3dDevice->EndScene();
    std::string folder = MakeTempDirectory();
    {
        std::vector<uint8_t> file = OverdrawTextureFile();
        FILE* out = std::fopen((folder + "/" + kOverdrawTexture).c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite(file.data(), 1, file.size(), out), file.size());
        std::fclose(out);
    }
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    HRESULT created = CreateTexture(kOverdrawTexture, 0, 0);
    ASSERT_EQ(chdir(here), 0);
    ASSERT_EQ(created, 0);
    ASSERT_EQ(RestoreTexture(kOverdrawTexture, d3dDevice), 0);

    SceneBuilder whole(kBenchFrames);
    BuildOverdrawScene(whole);
    Scene* scene = whole.Build(7.25f);
    Image all = Draw(scene);
    // Hide every wall but the nearest of each stack: the last part of the
    // first object (back to front), the first of the second.
    for (int32_t p = 0; p < kOverdrawLayers - 1; ++p) {
        whole.HidePart(0, 0, 7, p);
        whole.HidePart(0, 1, 7, p + 1);
    }
    Image nearest = Draw(whole.Build(7.25f));
    DeleteTexture(kOverdrawTexture);
    d3dDevice->BeginScene();
    // Textured and lit everywhere: no pixel is left black.
    size_t black = 0;
    for (uint32_t p : all.pixels) black += (p & 0xFFFFFF) == 0;
    EXPECT_EQ(black, 0u);
    EXPECT_EQ(all.pixels, nearest.pixels);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, DepthPathTest, ::testing::Values(DepthPath::Written, DepthPath::Reversed),
                         [](const ::testing::TestParamInfo<DepthPath>& info) {
                             return std::string(info.param == DepthPath::Reversed ? "Reversed" : "Written");
                         });

}  // namespace
