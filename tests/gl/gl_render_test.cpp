// The display on OpenGL (llvmpipe through SDL's offscreen driver): golden
// images of small scenes and checks of the lighting, depth, texturing and
// shading against what the fixed-function rules give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/window_proc.h"
#include "diag/memory_counters.h"
#include "gl/gl_test_support.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/window_table.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "scene_builder/scene_builder.h"
#include "scene_writer/sample_scenes.h"
#include "scene_writer/scene_writer.h"
#include "show/statistics.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

using namespace velmora::tools;
using namespace velmora::testing;

namespace {

// The lighting equation for one vertex and one point light, in camera space.
float PointLit(float materialAmbient, float materialDiffuse, float globalAmbient, float lightDiffuse,
               float distance, float cosine, float a0, float a1, float a2) {
    float attenuation = 1.0f / (a0 + a1 * distance + a2 * distance * distance);
    return materialAmbient * globalAmbient +
           attenuation * (materialDiffuse * lightDiffuse * std::max(cosine, 0.0f));
}

TEST_F(GlRenderTest, CentreOfALitQuadFollowsTheLightingEquation) {
    // A quad 20 away, half size 4, facing the camera; a point light 5 in front
    // of its centre. All four corners are lit alike, so the centre has their colour.
    SceneBuilder builder(1);
    int style = builder.AddDrawStyle(Material(0.8f, 0.6f, 0.4f));
    builder.AddObject({Quad(4, style, 20)}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()});
    D3DLIGHT7 light = PointLight(0, 0, 15, 1.0f, 0.9f, 0.5f, 100.0f);
    light.dvAttenuation1 = 0.05f;
    builder.AddLight({light});
    builder.SetAmbient(0x333333);
    Image image = Draw(builder.Build(0.0f));
    float distance = std::sqrt(4.0f * 4.0f * 2 + 5.0f * 5.0f);
    float cosine = 5.0f / distance;
    float ambient = 0x33 / 255.0f;
    ExpectColour(image.At(kWidth / 2, kHeight / 2),
                 PointLit(0.8f, 0.8f, ambient, 1.0f, distance, cosine, 1, 0.05f, 0),
                 PointLit(0.6f, 0.6f, ambient, 0.9f, distance, cosine, 1, 0.05f, 0),
                 PointLit(0.4f, 0.4f, ambient, 0.5f, distance, cosine, 1, 0.05f, 0));
    // Outside the quad the cleared black remains.
    EXPECT_EQ(image.At(5, 5), 0u);

    // A range shorter than the corners' distance leaves only the ambient light.
    light.dvRange = distance - 0.01f;
    SceneBuilder near(1);
    near.AddObject({Quad(4, near.AddDrawStyle(Material(0.8f, 0.6f, 0.4f)), 20)}, {IdentityMatrix()});
    near.AddCamera({IdentityMatrix()});
    near.AddLight({light});
    near.SetAmbient(0x333333);
    image = Draw(near.Build(0.0f));
    ExpectColour(image.At(kWidth / 2, kHeight / 2), 0.8f * ambient, 0.6f * ambient, 0.4f * ambient);
}

TEST_F(GlRenderTest, SpotLightConeShapesTheLight) {
    // The quad's corners at 45 degrees off the spot's axis; cone angles chosen
    // so that they fall between the inner and the outer cone.
    SceneBuilder builder(1);
    builder.AddObject({Quad(5, builder.AddDrawStyle(Material(1, 1, 1)), 10)}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()});
    D3DLIGHT7 spot = PointLight(0, 0, 5, 1, 1, 1, 100.0f);
    spot.dltType = D3DLIGHT_SPOT;
    spot.dvDirection = {{0}, {0}, {1}};
    spot.dvTheta = 1.2f;   // inner cone, full angle
    spot.dvPhi = 2.2f;     // outer cone
    spot.dvFalloff = 2.0f;
    builder.AddLight({spot});
    Image image = Draw(builder.Build(0.0f));
    float distance = std::sqrt(50.0f + 25.0f);
    float rho = 5.0f / distance;  // the corner seen from the light against the axis
    float cosTheta = std::cos(0.6f), cosPhi = std::cos(1.1f);
    ASSERT_GT(rho, cosPhi);
    ASSERT_LT(rho, cosTheta);
    float factor = std::pow((rho - cosPhi) / (cosTheta - cosPhi), 2.0f);
    float lit = factor * rho;  // N.L equals rho here
    ExpectColour(image.At(kWidth / 2, kHeight / 2), lit, lit, lit);
}

TEST_F(GlRenderTest, SurfacesOneUnitApartAtTenThousandDoNotFight) {
    // Two large walls 10000 and 10001 away; the nearer must win in either drawing order.
    for (bool nearFirst : {true, false}) {
        SceneBuilder builder(1);
        int green = builder.AddDrawStyle(Material(0, 1, 0));
        int red = builder.AddDrawStyle(Material(1, 0, 0));
        BuilderPart nearWall = Quad(8000, green, 10000), farWall = Quad(8000, red, 10001);
        if (nearFirst)
            builder.AddObject({nearWall, farWall}, {IdentityMatrix()});
        else
            builder.AddObject({farWall, nearWall}, {IdentityMatrix()});
        builder.AddCamera({IdentityMatrix()});
        builder.SetAmbient(0xFFFFFF);
        Image image = Draw(builder.Build(0.0f));
        size_t redPixels = 0, greenPixels = 0;
        for (uint32_t p : image.pixels) {
            redPixels += Channel(p, 16) > 128;
            greenPixels += Channel(p, 8) > 128;
        }
        EXPECT_EQ(redPixels, 0u) << (nearFirst ? "near first" : "far first");
        EXPECT_EQ(greenPixels, image.pixels.size());
    }
}

TEST_F(GlRenderTest, TextureModulatesTheDiffuseColourAndNoTextureIsWhite) {
    IDirectDraw7* directDraw = nullptr;
    ASSERT_EQ(backBuffer->GetDDInterface(reinterpret_cast<void**>(&directDraw)), DD_OK);
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.dwWidth = description.dwHeight = 2;
    description.ddpfPixelFormat.dwSize = kPixelFormatSize;
    description.ddpfPixelFormat.dwFlags = DDPF_RGB;
    description.ddpfPixelFormat.dwRGBBitCount = 16;
    description.ddpfPixelFormat.dwRBitMask = 0xF800;
    description.ddpfPixelFormat.dwGBitMask = 0x07E0;
    description.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface7* texture = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &texture, nullptr), DD_OK);
    directDraw->Release();
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    ASSERT_EQ(texture->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch)[x] = 0xFC00;  // (255, 130, 0)
    texture->Unlock(nullptr);

    SceneBuilder builder(1);
    builder.AddObject({Quad(4, builder.AddDrawStyle(Material(0.5f, 1.0f, 1.0f)), 20)}, {IdentityMatrix()});
    builder.AddCamera({IdentityMatrix()});
    builder.SetAmbient(0xFFFFFF);
    Scene* scene = builder.Build(0.0f);
    ExpectColour(Draw(scene).At(kWidth / 2, kHeight / 2), 0.5f, 1.0f, 1.0f);  // no texture: the colour itself
    // Bound by hand, as the renderer would bind a cached texture.
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    d3dDevice->BeginScene();
    D3DMATERIAL7 material = Material(0.5f, 1.0f, 1.0f);
    d3dDevice->SetMaterial(&material);
    d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
    d3dDevice->SetTexture(0, texture);
    D3DMATRIX identity = IdentityMatrix();
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    BuilderPart quad = Quad(4, 0, 20);
    d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, quad.vertices.data(), 4,
                                    reinterpret_cast<WORD*>(quad.polygons.data()), 6, 0);
    d3dDevice->EndScene();
    ExpectColour(ReadBack().At(kWidth / 2, kHeight / 2), 0.5f, 130.0f / 255.0f, 0.0f);
    d3dDevice->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GlRenderTest, IndicesThatStartPastTheFirstVertexDrawTheVerticesTheyName) {
    // The back end sends only the vertices the indices use and rebases the
    // indices onto them: a quad behind four unused vertices draws as the
    // quad alone does.
    BuilderPart quad = Quad(4, 0, 20);
    auto draw = [&](int unused) {
        std::vector<float> vertices(static_cast<size_t>(unused) * 8, 100.0f);
        vertices.insert(vertices.end(), reinterpret_cast<const float*>(quad.vertices.data()),
                        reinterpret_cast<const float*>(quad.vertices.data()) + 4 * 8);
        std::vector<WORD> indices;
        for (size_t i = 0; i < 6; ++i)
            indices.push_back(static_cast<WORD>(reinterpret_cast<const uint16_t*>(quad.polygons.data())[i] + unused));
        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d3dDevice->BeginScene();
        D3DMATERIAL7 material = Material(0.2f, 0.6f, 1.0f);
        d3dDevice->SetMaterial(&material);
        d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
        D3DMATRIX identity = IdentityMatrix();
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        EXPECT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices.data(),
                                                  static_cast<DWORD>(unused + 4), indices.data(), 6, 0),
                  D3D_OK);
        d3dDevice->EndScene();
        return ReadBack();
    };
    Image alone = draw(0);
    Image behind = draw(4);
    ExpectColour(alone.At(kWidth / 2, kHeight / 2), 0.2f, 0.6f, 1.0f);
    EXPECT_EQ(alone.pixels, behind.pixels);
}

TEST_F(GlRenderTest, FlatShadingTakesTheFirstVertexOfEachTriangle) {
    // One triangle lit from the side: Gouraud shading varies across it, flat does not.
    for (int32_t shade : {1, 2}) {
        SceneBuilder builder(1);
        BuilderPart part;
        part.drawStyle = builder.AddDrawStyle(Material(1, 1, 1));
        part.vertices = {{-6, 4, 20, 0, 0, -1, 0, 0}, {-6, -4, 20, 0, 0, -1, 0, 0}, {6, -4, 20, 0, 0, -1, 0, 0}};
        part.polygons = {{{0, 1, 2}}};
        builder.AddObject({part}, {IdentityMatrix()}, 0, shade);
        builder.AddCamera({IdentityMatrix()});
        D3DLIGHT7 light = PointLight(-6, 4, 18, 1, 1, 1, 1000.0f);
        light.dvAttenuation1 = 0.1f;
        builder.AddLight({light});
        Image image = Draw(builder.Build(0.0f));
        // Two points inside the triangle, near its first and its last vertex.
        uint32_t nearFirst = image.At(110, 200);
        uint32_t nearLast = image.At(500, 380);
        ASSERT_NE(nearFirst, 0u);
        ASSERT_NE(nearLast, 0u);
        if (shade == 1) {
            EXPECT_EQ(nearFirst, nearLast);
            // The first vertex: distance 2, facing the light.
            ExpectColour(nearFirst, 1.0f / 1.2f, 1.0f / 1.2f, 1.0f / 1.2f);
        } else {
            EXPECT_GT(Channel(nearFirst, 8), Channel(nearLast, 8) + 40);
        }
    }
}

TEST_F(GlRenderTest, EveryEnabledLightUpToThirtyTwoLightsThePixel) {
    // A white quad 20 away facing the camera, no ambient light, 32 point
    // lights 5 in front of it of which only light k is not black: the pixel
    // shows that light alone. Lights past the eighth were once dropped.
    float distance = std::sqrt(4.0f * 4.0f * 2 + 5.0f * 5.0f);
    float lit = PointLit(1, 1, 0, 1, distance, 5.0f / distance, 1, 0, 0);
    for (int k : {8, 19, 31}) {
        SceneBuilder builder(1);
        builder.AddObject({Quad(4, builder.AddDrawStyle(Material(1, 1, 1)), 20)}, {IdentityMatrix()});
        builder.AddCamera({IdentityMatrix()});
        for (int i = 0; i < 32; ++i)
            builder.AddLight({PointLight(0, 0, 15, i == k ? 1.0f : 0.0f, i == k ? 0.5f : 0.0f, 0, 100.0f)});
        ExpectColour(Draw(builder.Build(0.0f)).At(kWidth / 2, kHeight / 2), lit, 0.5f * lit, 0);
    }
    // All of them at once add up; a 33rd is past what is drawn and is said so.
    SceneBuilder many(1);
    many.AddObject({Quad(4, many.AddDrawStyle(Material(1, 1, 1)), 20)}, {IdentityMatrix()});
    many.AddCamera({IdentityMatrix()});
    for (int i = 0; i < 33; ++i) many.AddLight({PointLight(0, 0, 15, 0.02f, 0.02f, 0.02f, 100.0f)});
    ::testing::internal::CaptureStderr();
    uint32_t pixel = Draw(many.Build(0.0f)).At(kWidth / 2, kHeight / 2);
    std::string told = ::testing::internal::GetCapturedStderr();
    ExpectColour(pixel, 32 * 0.02f * lit, 32 * 0.02f * lit, 32 * 0.02f * lit);
    EXPECT_NE(told.find("33 lights are enabled"), std::string::npos) << told;
}

TEST_F(GlRenderTest, AStateChangedBetweenTwoDrawsIsDrawnByTheSecond) {
    // The same quad drawn again and again by hand, one state changed before
    // each draw; the centre pixel must follow, and stay when nothing changed.
    d3dDevice->BeginScene();
    D3DMATRIX identity = IdentityMatrix();
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
    d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0);
    d3dDevice->SetTexture(0, nullptr);
    D3DMATERIAL7 white = Material(1, 1, 1);
    d3dDevice->SetMaterial(&white);
    D3DLIGHT7 light = PointLight(0, 0, 15, 1, 0, 0, 100.0f);
    d3dDevice->SetLight(0, &light);
    d3dDevice->LightEnable(0, TRUE);
    BuilderPart quad = Quad(4, 0, 20);
    auto centre = [&] {
        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        EXPECT_EQ(d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, quad.vertices.data(), 4,
                                                  reinterpret_cast<WORD*>(quad.polygons.data()), 6, 0),
                  D3D_OK);
        return ReadBack().At(kWidth / 2, kHeight / 2);
    };
    float distance = std::sqrt(4.0f * 4.0f * 2 + 5.0f * 5.0f);
    float lit = PointLit(1, 1, 0, 1, distance, 5.0f / distance, 1, 0, 0);
    uint32_t red = centre();
    ExpectColour(red, lit, 0, 0);
    EXPECT_EQ(centre(), red);

    // The light changed while enabled.
    light.dcvDiffuse = {{0}, {1}, {0}, {1}};
    d3dDevice->SetLight(0, &light);
    ExpectColour(centre(), 0, lit, 0);
    // The material.
    D3DMATERIAL7 half = Material(0.5f, 0.5f, 0.5f);
    d3dDevice->SetMaterial(&half);
    ExpectColour(centre(), 0, PointLit(0.5f, 0.5f, 0, 1, distance, 5.0f / distance, 1, 0, 0), 0);
    // The view: the camera steps back 5, the quad and the light go with the world.
    D3DMATRIX back = Translation(0, 0, 5);
    d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &back);
    ExpectColour(centre(), 0, PointLit(0.5f, 0.5f, 0, 1, distance, 5.0f / distance, 1, 0, 0), 0);
    // The light moved behind the quad lights nothing.
    light.dvPosition.z = 30;
    d3dDevice->SetLight(0, &light);
    EXPECT_EQ(centre(), 0u);
    // The ambient light.
    d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x808080);
    uint32_t ambient = centre();
    ExpectColour(ambient, 0.5f * 128 / 255.0f, 0.5f * 128 / 255.0f, 0.5f * 128 / 255.0f);
    // Lighting off draws the vertices' colour, here none: white.
    d3dDevice->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    ExpectColour(centre(), 1, 1, 1);
    d3dDevice->SetRenderState(D3DRENDERSTATE_LIGHTING, TRUE);
    EXPECT_EQ(centre(), ambient);
    // Culling the side that faces the camera.
    d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    EXPECT_EQ(centre(), 0u);
    d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
    // The texture factor as the stage's colour.
    d3dDevice->SetRenderState(D3DRENDERSTATE_TEXTUREFACTOR, 0xFF0000FF);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ExpectColour(centre(), 0, 0, 1);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    EXPECT_EQ(centre(), ambient);
    // A viewport that leaves the centre out.
    D3DVIEWPORT7 corner = {0, 0, 100, 100, 0.0f, 1.0f};
    d3dDevice->SetViewport(&corner);
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    D3DVIEWPORT7 whole = {0, 0, kWidth, kHeight, 0.0f, 1.0f};
    d3dDevice->SetViewport(&whole);
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    d3dDevice->SetViewport(&corner);
    d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, quad.vertices.data(), 4,
                                    reinterpret_cast<WORD*>(quad.polygons.data()), 6, 0);
    Image cornered = ReadBack();
    EXPECT_EQ(cornered.At(kWidth / 2, kHeight / 2), 0u);
    EXPECT_EQ(cornered.At(50, 50), ambient);
    d3dDevice->SetViewport(&whole);
    d3dDevice->EndScene();
}

// Golden images: a few small scenes, one image each.

TEST_F(GlRenderTest, GoldenLitAndUnlit) {
    SceneBuilder lit(1);
    int grey = lit.AddDrawStyle(Material(0.9f, 0.9f, 0.9f));
    int orange = lit.AddDrawStyle(Material(1.0f, 0.5f, 0.1f));
    lit.AddObject({Sphere(3, 16, 24, orange)}, {Translation(-3, 0, 18)});
    lit.AddObject({Grid(12, 12, grey, 0)}, {Translation(0, 0, 30)});
    D3DLIGHT7 light = PointLight(4, 6, 10, 1, 1, 1, 200);
    light.dvAttenuation1 = 0.02f;
    lit.AddLight({light});
    lit.AddCamera({IdentityMatrix()});
    lit.SetAmbient(0x202020);
    ExpectLike(Draw(lit.Build(0.0f)), "lit_point");

    // No light: ambient alone, per material.
    SceneBuilder unlit(1);
    int red = unlit.AddDrawStyle(Material(1, 0.2f, 0.2f));
    int blue = unlit.AddDrawStyle(Material(0.2f, 0.3f, 1));
    unlit.AddObject({Sphere(3, 12, 16, red)}, {Translation(-4, 0, 20)});
    unlit.AddObject({Quad(3, blue, 0)}, {Translation(4, 0, 20)});
    unlit.AddCamera({IdentityMatrix()});
    unlit.SetAmbient(0x808080);
    ExpectLike(Draw(unlit.Build(0.0f)), "unlit_ambient");
}

TEST_F(GlRenderTest, GoldenSpotAndFlat) {
    SceneBuilder spot(1);
    int white = spot.AddDrawStyle(Material(1, 1, 1));
    spot.AddObject({Grid(15, 30, white, 0)}, {Translation(0, 0, 25)});
    D3DLIGHT7 light = PointLight(-3, 2, 0, 0.2f, 1.0f, 0.6f, 500);
    light.dltType = D3DLIGHT_SPOT;
    light.dvDirection = {{0.1f}, {-0.05f}, {1}};
    light.dvTheta = 0.3f;
    light.dvPhi = 0.7f;
    light.dvFalloff = 1.0f;
    spot.AddLight({light});
    spot.AddCamera({IdentityMatrix()});
    spot.SetAmbient(0x101010);
    ExpectLike(Draw(spot.Build(0.0f)), "spot");

    SceneBuilder flat(1);
    int yellow = flat.AddDrawStyle(Material(1, 0.9f, 0.2f));
    flat.AddObject({Sphere(5, 8, 12, yellow)}, {Translation(0, 0, 20)}, 1, 1);
    flat.AddLight({PointLight(-10, 10, 5, 1, 1, 1, 200)});
    flat.AddCamera({IdentityMatrix()});
    flat.SetAmbient(0x181818);
    ExpectLike(Draw(flat.Build(0.0f)), "flat_shading");
}

TEST_F(GlRenderTest, GoldenTranslucentAndAdditive) {
    SceneBuilder builder(1);
    int red = builder.AddDrawStyle(Material(1, 0.1f, 0.1f));
    int glass = builder.AddDrawStyle(Material(0.1f, 1, 0.2f, 0.5f));
    int blue = builder.AddDrawStyle(Material(0.1f, 0.2f, 0.8f));
    builder.AddObject({Quad(5, red, 0)}, {Translation(-2, 1, 30)});
    builder.AddObject({Quad(4, glass, 0)}, {Translation(1, 0, 20)}, 0);
    builder.AddObject({Sphere(3, 12, 16, blue)}, {Translation(3, -2, 25)}, 1, 2, 1);  // overlay
    builder.AddCamera({IdentityMatrix()});
    builder.SetAmbient(0xC0C0C0);
    ExpectLike(Draw(builder.Build(0.0f)), "translucent_additive");
}

TEST_F(GlRenderTest, GoldenBlurAndTwoCameras) {
    // An object crossing the view over ten frames, drawn with a trail of three at half opacity.
    SceneBuilder blur(10);
    int white = blur.AddDrawStyle(Material(1, 1, 1));
    std::vector<D3DMATRIX> path;
    for (int f = 0; f < 10; ++f) path.push_back(Translation(-9.0f + 2.0f * f, 0, 25));
    blur.AddObject({Sphere(2, 10, 14, white)}, path);
    int camera = blur.AddCamera({IdentityMatrix()}, 0.5f, 0.7853982f, 3);
    (void)camera;
    blur.SetAmbient(0xFFFFFF);
    ExpectLike(Draw(blur.Build(5.5f)), "blur");

    // Two cameras over each other: the second, turned, draws additively.
    SceneBuilder two(1);
    int green = two.AddDrawStyle(Material(0.2f, 0.8f, 0.3f));
    two.AddObject({Sphere(3, 12, 16, green)}, {Translation(0, 0, 20)});
    two.AddObject({Quad(2, green, 0)}, {Translation(6, 3, 20)});
    two.AddLight({PointLight(0, 10, 0, 1, 1, 1, 300)});
    two.AddCamera({IdentityMatrix()});
    two.AddCamera({RotationY(0.25f)}, 1.6f);
    two.SetAmbient(0x303030);
    ExpectLike(Draw(two.Build(0.0f)), "two_cameras");
}

TEST_F(GlRenderTest, SampleScenePlaysAndItsCapturedFramesMatch) {
    // The sample scene read from its file, three frames presented with capture on.
    std::string directory = velmora::testing::MakeTempDirectory();
    std::string file = directory + "/every.QX3";
    std::string error;
    ASSERT_TRUE(WriteSceneFile(file, EveryNodeScene(), &error)) << error;
    // The capture folder is read when the display starts: start it again.
    velmora::platform::ReleaseDisplayObjects();
    primarySurface = backBuffer = zBuffer = nullptr;
    d3dDevice = nullptr;
    velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
    settings.captureDirectory = directory + "/frames";
    velmora::platform::UsePlatformSettings(settings);
    ASSERT_EQ(CreateDisplay(velmora::platform::MainWindow()), S_OK);
    InitRenderStates(d3dDevice);

    Scene scene{};
    std::vector<char> name(file.begin(), file.end());
    name.push_back('\0');
    scene.fileName = static_cast<char*>(std::malloc(name.size()));
    std::memcpy(scene.fileName, name.data(), name.size());
    LoadScene(&scene, scene.fileName, d3dDevice);
    ASSERT_GT(scene.cameraCount, 0);
    ASSERT_EQ(scene.frameCount, 3);
    // Without a play script every camera is off: switch them all on.
    for (int c = 0; c < scene.cameraCount; ++c)
        for (int f = 0; f < scene.frameCount; ++f) scene.cameras[c].frameBlend[f] = 1.0f;
    for (int frame = 0; frame < 3; ++frame) {
        scene.currentFrame = static_cast<float>(frame) + 0.5f;
        Draw(&scene);
        PresentFrame();
    }
    FreeScene(&scene);
    for (int frame = 0; frame < 3; ++frame) {
        Image captured;
        char frameName[32];
        std::snprintf(frameName, sizeof frameName, "/frame_%06d.png", frame);
        ASSERT_TRUE(LoadPng(directory + "/frames" + frameName, captured));
        EXPECT_EQ(captured.width, kWidth);
        ExpectLike(captured, "sample_scene_" + std::to_string(frame));
    }
}

}  // namespace

TEST_F(GlRenderTest, ASceneReadFromItsFileIsLitFromTheSideItDraws) {
    // A quad 20 in front of the camera, wound counter-clockwise on screen so
    // that the clockwise culling keeps it, and a point light 5 in front of
    // it. Loading computes the normals: they must face the light.
    SceneDescription d;
    d.frameCount = 1;
    d.ambient = {0x333333};
    d.drawStyles = {{0.8f, 0.6f, 0.4f, 0.0f, ""}};
    WriterPart part;
    part.vertices = {{-4, -4, 20}, {4, -4, 20}, {4, 4, 20}, {-4, 4, 20}};
    part.polygons = {{0, 1, 2}, {0, 2, 3}};
    WriterObject quad;
    quad.name = "Quad";
    quad.parts = {part};
    quad.matrices = {IdentityMatrix()};
    WriterObject flipped = quad;  // the same corners wound the other way
    flipped.name = "Flipped";
    flipped.parts[0].polygons = {{0, 2, 1}, {0, 3, 2}};
    d.cameras.push_back({"Camera01", {0.7853982f}, {IdentityMatrix()}});
    WriterLight light;
    light.name = "Omni01";
    light.intensity = 0.5f;  // doubled on reading: the colour as it stands
    light.range = 100.0f;
    light.attenuation = 0;   // constant
    light.frames = {{0.5f, 0.4f, 0.2f, {{0}, {0}, {15}}, {}}};
    d.lights.push_back(light);

    std::string directory = velmora::testing::MakeTempDirectory();
    auto drawFile = [&](const WriterObject& object) {
        SceneDescription one = d;
        one.objects = {object};
        std::string file = directory + "/" + object.name + ".QX3";
        std::string error;
        EXPECT_TRUE(WriteSceneFile(file, one, &error)) << error;
        Scene scene{};
        scene.fileName = strdup(file.c_str());
        LoadScene(&scene, scene.fileName, d3dDevice);
        EXPECT_EQ(scene.objectCount, 1);
        EXPECT_EQ(scene.objects[0].cullBackfaces, 1);
        scene.cameras[0].frameBlend[0] = 1.0f;
        scene.currentFrame = 0.0f;
        Image image = Draw(&scene);
        FreeScene(&scene);
        return image;
    };

    Image lit = drawFile(quad);
    float distance = std::sqrt(4.0f * 4.0f * 2 + 5.0f * 5.0f);
    float cosine = 5.0f / distance;
    float ambient = 0x33 / 255.0f;
    // The reader gives the light its colour as ambient too, which the
    // material's ambient takes whatever the normal; the diffuse share is what
    // a normal turned away from the light would lose.
    ExpectColour(lit.At(kWidth / 2, kHeight / 2),
                 PointLit(0.8f, 0.8f, ambient, 0.5f, distance, cosine, 1, 0, 0) + 0.8f * 0.5f,
                 PointLit(0.6f, 0.6f, ambient, 0.4f, distance, cosine, 1, 0, 0) + 0.6f * 0.4f,
                 PointLit(0.4f, 0.4f, ambient, 0.2f, distance, cosine, 1, 0, 0) + 0.4f * 0.2f);
    // The other winding is the back of the face: culled, nothing drawn.
    EXPECT_EQ(drawFile(flipped).At(kWidth / 2, kHeight / 2), 0u);
}

namespace {

// The statistics overlay lands in the frame presented next and in its
// capture: nine yellow lines in DejaVu Sans over a dark blue frame.
TEST_F(GlRenderTest, GoldenStatisticsOverlayInTheCapturedFrame) {
    std::string directory = velmora::testing::MakeTempDirectory();
    velmora::platform::ReleaseDisplayObjects();
    primarySurface = backBuffer = zBuffer = nullptr;
    d3dDevice = nullptr;
    velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
    settings.captureDirectory = directory + "/frames";
    velmora::platform::UsePlatformSettings(settings);
    ASSERT_EQ(CreateDisplay(velmora::platform::MainWindow()), S_OK);
    InitRenderStates(d3dDevice);

    textureMemoryCounter = 327680;
    textureAllocationCounter = 2;
    animationMemoryCounter = 4096;
    generalMemoryCounter = 512;
    fileMemoryCounter = 77;
    showStatistics = 1;
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00203050, 1.0f, 0);
    DrawStatistics(0, timeGetTime());
    showStatistics = 0;
    textureMemoryCounter = textureAllocationCounter = animationMemoryCounter = 0;
    generalMemoryCounter = fileMemoryCounter = 0;
    PresentFrame();

    Image captured;
    ASSERT_TRUE(LoadPng(directory + "/frames/frame_000000.png", captured));
    // Yellow text at the left, nine lines 15 pixels apart, and nothing past them.
    int yellowRows = 0, lastYellowRow = -1;
    for (int y = 0; y < captured.height; ++y) {
        bool yellow = false;
        for (int x = 0; x < 320 && !yellow; ++x) {
            uint32_t p = captured.At(x, y);
            yellow = Channel(p, 16) > 200 && Channel(p, 8) > 200 && Channel(p, 0) < 120;
        }
        if (yellow) {
            ++yellowRows;
            lastYellowRow = y;
        }
    }
    EXPECT_GT(yellowRows, 9 * 6);
    EXPECT_GE(lastYellowRow, 120);
    EXPECT_LT(lastYellowRow, 120 + 15);
    ExpectColour(captured.At(600, 400), 0x20 / 255.0f, 0x30 / 255.0f, 0x50 / 255.0f);
    ExpectLike(captured, "statistics_overlay", 8, 0.002);
}

}  // namespace
