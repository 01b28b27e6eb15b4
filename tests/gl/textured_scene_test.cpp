// Textured scenes on OpenGL: a scene file whose materials use pictures in all
// five formats, read through the texture cache, drawn and compared with a
// golden image; the low-detail "_256" files; and 16-bit textures, which keep
// their 16 bits on the GPU and their colours on screen.
#include <FreeImage.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gl/gl_test_support.h"
#include "scene_writer/scene_writer.h"
#include "support/temp_files.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace fs = std::filesystem;
using namespace velmora::tools;
using namespace velmora::testing;

namespace {

const fs::path kImages = VELMORA_TEXTURE_IMAGES;

// A square of half size `half` at (x, y, z), facing the camera, wound so that
// the clockwise culling keeps it; v = 0 at its bottom edge, where the cache
// puts a picture's bottom row.
WriterPart Square(float x, float y, float z, float half, int32_t drawStyle) {
    WriterPart part;
    part.drawStyle = drawStyle;
    part.vertices = {{x - half, y - half, z, 0, 0}, {x + half, y - half, z, 1, 0},
                     {x + half, y + half, z, 1, 1}, {x - half, y + half, z, 0, 1}};
    part.polygons = {{0, 1, 2}, {0, 2, 3}};
    return part;
}

WriterObject ObjectOf(const std::string& name, std::vector<WriterPart> parts) {
    WriterObject object;
    object.name = name;
    object.parts = std::move(parts);
    object.matrices = {IdentityMatrix()};
    return object;
}

// An image of one colour and alpha per pixel, written with FreeImage.
void WriteImage(const fs::path& path, FREE_IMAGE_FORMAT format, int width, int height,
                uint32_t (*argbAt)(int x, int y)) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 32);
    ASSERT_NE(bitmap, nullptr);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x) {
            uint32_t argb = argbAt(x, y);
            row[x * 4 + FI_RGBA_RED] = BYTE(argb >> 16);
            row[x * 4 + FI_RGBA_GREEN] = BYTE(argb >> 8);
            row[x * 4 + FI_RGBA_BLUE] = BYTE(argb);
            row[x * 4 + FI_RGBA_ALPHA] = BYTE(argb >> 24);
        }
    }
    ASSERT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0)) << path;
    FreeImage_Unload(bitmap);
}

class TexturedSceneTest : public GlRenderTest {
protected:
    void SetUp() override {
        GlRenderTest::SetUp();
        previous = fs::current_path();
        directory = MakeTempDirectory();
        fs::current_path(directory);
    }
    void TearDown() override {
        FreeScene(&scene);
        while (textureList) delete textureList;
        lowTextures = 0;
        fs::current_path(previous);
        fs::remove_all(directory);
        GlRenderTest::TearDown();
    }
    // Writes the scene file, reads it as a show does and makes every texture
    // resident, as the timeline's preload does.
    void Load(const SceneDescription& description) {
        std::string error;
        ASSERT_TRUE(WriteSceneFile("textured.QX3", description, &error)) << error;
        scene.fileName = strdup("textured.QX3");
        LoadScene(&scene, scene.fileName, d3dDevice);
        ASSERT_EQ(scene.drawStyleCount, static_cast<int32_t>(description.drawStyles.size()));
        for (int i = 0; i < scene.drawStyleCount; ++i) {
            const char* name = scene.drawStyles[i].textureName;
            if (name && *name) {
                ASSERT_EQ(RestoreTexture(name, d3dDevice), 0) << name;
            }
        }
        ASSERT_GT(scene.cameraCount, 0);
        scene.cameras[0].frameBlend[0] = 1.0f;
        scene.currentFrame = 0.5f;
    }
    SceneDescription OneCamera() {
        SceneDescription description;
        description.frameCount = 1;
        description.ambient = {0xFFFFFF};  // unlit: every texel at its own colour
        WriterCamera camera;
        camera.name = "Camera";
        camera.fov = {0.7853982f};
        camera.matrices = {IdentityMatrix()};
        description.cameras = {camera};
        return description;
    }

    fs::path previous;
    std::string directory;
    Scene scene{};
};

TEST_F(TexturedSceneTest, GoldenTexturesOfAllFiveFormatsSomeTranslucent) {
    for (const char* name : {"sample.bmp", "sample.tga", "sample.jpg", "sample.png", "sample.pcx",
                             "gtk-logo-32bpp-top-left.tga", "palette.bmp"})
        fs::copy_file(kImages / name, name);
    // Vertical stripes of white at falling opacity, for a pane in front.
    WriteImage("stripes.png", FIF_PNG, 8, 8, [](int x, int) -> uint32_t {
        return static_cast<uint32_t>(255 - x * 32) << 24 | 0xFFFFFF;
    });

    SceneDescription description = OneCamera();
    description.drawStyles = {{0.2f, 0.3f, 0.6f, 0, ""},
                              {1, 1, 1, 0, "sample.bmp"},
                              {1, 1, 1, 0, "sample.tga"},
                              {1, 1, 1, 0, "sample.jpg"},
                              {1, 1, 1, 0, "sample.png"},
                              {1, 1, 1, 0, "sample.pcx"},
                              {1, 1, 1, 0, "gtk-logo-32bpp-top-left.tga"},
                              {1, 1, 1, 0, "stripes.png"},
                              {1, 0.8f, 0.6f, 0, "palette.bmp"}};
    // Behind everything a blue backdrop, drawn first so that the translucent
    // texels blend with it.
    description.objects.push_back(ObjectOf("Backdrop", {Square(0, 0, 30, 14, 0)}));
    description.objects.push_back(ObjectOf("Pictures", {Square(-5, 2.8f, 20, 2.2f, 1),
                                                        Square(0, 2.8f, 20, 2.2f, 2),
                                                        Square(5, 2.8f, 20, 2.2f, 3),
                                                        Square(-5, -2.8f, 20, 2.2f, 4),
                                                        Square(0, -2.8f, 20, 2.2f, 5),
                                                        Square(5, -2.8f, 20, 2.2f, 6)}));
    description.objects.push_back(ObjectOf("Tinted", {Square(5, 6.6f, 20, 1.4f, 8)}));
    description.objects.push_back(ObjectOf("Pane", {Square(-2.5f, 2.8f, 15, 1.5f, 7)}));
    Load(description);

    // What the cache took from each file.
    EXPECT_EQ(TextureHasAlpha("gtk-logo-32bpp-top-left.tga"), 1);
    EXPECT_EQ(TextureHasAlpha("stripes.png"), 1);
    for (const char* name : {"sample.bmp", "sample.tga", "sample.jpg", "sample.png", "sample.pcx"})
        EXPECT_EQ(TextureHasAlpha(name), 0) << name;
    EXPECT_EQ(scene.drawStyles[6].hasAlpha, 1);
    EXPECT_EQ(scene.drawStyles[1].hasAlpha, 0);

    // The logo's TGA is stored from the top; the player keeps its first
    // stored row at the bottom, so the logo stands on its head.
    Image frame = Draw(&scene);
    ExpectLike(frame, "textured_five_formats", 8);
    // The logo's clear corner shows the backdrop through it.
    ExpectColour(frame.At(kWidth / 2 + 112, kHeight / 2 + 20), 0.2f, 0.3f, 0.6f, 3);
}

TEST_F(TexturedSceneTest, LowTexturesDrawTheFileEndingIn256) {
    WriteImage("wall.png", FIF_PNG, 4, 4, [](int, int) -> uint32_t { return 0xFFFF0000; });
    WriteImage("wall_256.png", FIF_PNG, 4, 4, [](int, int) -> uint32_t { return 0xFF00FF00; });
    WriteImage("door.png", FIF_PNG, 4, 4, [](int, int) -> uint32_t { return 0xFF0000FF; });
    SceneDescription description = OneCamera();
    description.drawStyles = {{1, 1, 1, 0, "wall.png"}, {1, 1, 1, 0, "door.png"}};
    description.objects.push_back(
        ObjectOf("Squares", {Square(-4, 0, 20, 3, 0), Square(4, 0, 20, 3, 1)}));
    const int left = kWidth / 2 - 100, right = kWidth / 2 + 100, middle = kHeight / 2;

    Load(description);
    Image normal = Draw(&scene);
    ExpectColour(normal.At(left, middle), 1, 0, 0);
    ExpectColour(normal.At(right, middle), 0, 0, 1);
    FreeScene(&scene);
    scene = Scene{};
    while (textureList) delete textureList;

    // On: wall.png takes the pixels of wall_256.png under its own name; the
    // door has no low-detail file and keeps its own.
    lowTextures = 1;
    Load(description);
    Image low = Draw(&scene);
    ExpectColour(low.At(left, middle), 0, 1, 0);
    ExpectColour(low.At(right, middle), 0, 0, 1);
    EXPECT_NE(FindTexture("wall.png"), nullptr);
    EXPECT_EQ(FindTexture("wall_256.png"), nullptr);
}

TEST_F(GlRenderTest, SixteenBitTexturesStaySixteenBitOnTheGpuAndKeepTheirColours) {
    IDirectDraw7* directDraw = nullptr;
    ASSERT_EQ(backBuffer->GetDDInterface(reinterpret_cast<void**>(&directDraw)), DD_OK);
    struct Case {
        DWORD red, green, blue, alpha;
        uint16_t texel;
        float r, g, b;
        GLint redBits, alphaBits;
    };
    // Each one's texel widened as the fixed-function pipeline widens it.
    const Case cases[] = {
        {0xF800, 0x07E0, 0x001F, 0, 0xFC00, 1.0f, 32 / 63.0f, 0.0f, 5, 0},       // 5-6-5
        {0x7C00, 0x03E0, 0x001F, 0x8000, 0x83E0, 0.0f, 1.0f, 0.0f, 5, 1},         // 1-5-5-5
        {0x7C00, 0x03E0, 0x001F, 0, 0x001F, 0.0f, 0.0f, 1.0f, 5, 0},              // X-5-5-5
        {0x0F00, 0x00F0, 0x000F, 0xF000, 0xF8A3, 8 / 15.0f, 10 / 15.0f, 3 / 15.0f, 4, 4},  // 4-4-4-4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texel);
        DDSURFACEDESC2 description{};
        description.dwSize = kSurfaceDescSize;
        description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        description.dwWidth = 3;  // rows padded to whole words
        description.dwHeight = 2;
        description.ddpfPixelFormat.dwSize = kPixelFormatSize;
        description.ddpfPixelFormat.dwFlags = DDPF_RGB | (c.alpha ? DDPF_ALPHAPIXELS : 0);
        description.ddpfPixelFormat.dwRGBBitCount = 16;
        description.ddpfPixelFormat.dwRBitMask = c.red;
        description.ddpfPixelFormat.dwGBitMask = c.green;
        description.ddpfPixelFormat.dwBBitMask = c.blue;
        description.ddpfPixelFormat.dwRGBAlphaBitMask = c.alpha;
        IDirectDrawSurface7* texture = nullptr;
        ASSERT_EQ(directDraw->CreateSurface(&description, &texture, nullptr), DD_OK);
        DDSURFACEDESC2 locked{};
        locked.dwSize = kSurfaceDescSize;
        ASSERT_EQ(texture->Lock(nullptr, &locked, 0, nullptr), DD_OK);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch)[x] =
                    c.texel;
        texture->Unlock(nullptr);

        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d3dDevice->BeginScene();
        D3DMATERIAL7 material{};
        material.diffuse = material.ambient = {{1.0f}, {1.0f}, {1.0f}, {1.0f}};
        d3dDevice->SetMaterial(&material);
        d3dDevice->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFF);
        d3dDevice->SetTexture(0, texture);
        D3DMATRIX identity = IdentityMatrix();
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
        d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        d3dDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        WriterPart quad = Square(0, 0, 20, 4, 0);
        std::vector<float> vertices;
        for (const WriterVertex& v : quad.vertices)
            vertices.insert(vertices.end(), {v.x, v.y, v.z, 0, 0, -1, v.tu, v.tv});
        WORD indices[6] = {0, 1, 2, 0, 2, 3};
        d3dDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices.data(), 4, indices, 6, 0);
        d3dDevice->EndScene();
        // The drawn texture is still bound: its storage on the GPU.
        GLint redBits = 0, alphaBits = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &redBits);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
        EXPECT_EQ(redBits, c.redBits);
        EXPECT_EQ(alphaBits, c.alphaBits);
        ExpectColour(ReadBack().At(kWidth / 2, kHeight / 2), c.r, c.g, c.b);
        d3dDevice->SetTexture(0, nullptr);
        texture->Release();
    }
    directDraw->Release();
}

}  // namespace
