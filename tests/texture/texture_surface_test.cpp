// Texture surfaces made by Restore on the Direct3D stand-in (null drawing back
// end), and what the cache does with them.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/ddraw/d3d.h"
#include "platform/ddraw/display_objects.h"
#include "support/engine_fixture.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace fs = std::filesystem;

namespace {

DDSURFACEDESC2 Description(DWORD flags, DWORD caps) {
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = flags;
    description.ddsCaps.dwCaps = caps;
    return description;
}

class TextureSurfaceTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        previous = fs::current_path();
        directory = velmora::testing::MakeTempDirectory();
        fs::current_path(directory);
        CreateRenderWindow();
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
                  DD_OK);
        ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DD_OK);
        DDSURFACEDESC2 description = Description(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                                 DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                                                     DDSCAPS_3DDEVICE);
        description.dwBackBufferCount = 1;
        ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
        DDSCAPS2 caps = {DDSCAPS_BACKBUFFER, 0, 0, {0}};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
        ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d)), DD_OK);
        ASSERT_EQ(direct3d->CreateDevice(IID_IDirect3DHALDevice, back, &device), D3D_OK);
        ASSERT_EQ(direct3d->CreateDevice(IID_IDirect3DRGBDevice, back, &software), D3D_OK);
    }
    void TearDown() override {
        while (textureList) delete textureList;
        velmora::platform::ResetTextureCaps();
        velmora::platform::ReleaseDisplayObjects();
        fs::current_path(previous);
        fs::remove_all(directory);
        EngineTest::TearDown();
    }
    // width x height, pixel (x, y) of stored row y red x*9, green y*11, blue 200,
    // alpha 128 at (0, 0) when translucent.
    void WriteImage(const std::string& name, FREE_IMAGE_FORMAT fif, int width, int height, bool translucent) {
        int bits = translucent ? 32 : 24;
        FIBITMAP* bitmap = FreeImage_Allocate(width, height, bits);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                BYTE* p = FreeImage_GetScanLine(bitmap, y) + x * bits / 8;
                p[FI_RGBA_RED] = BYTE(x * 9);
                p[FI_RGBA_GREEN] = BYTE(y * 11);
                p[FI_RGBA_BLUE] = 200;
                if (translucent) p[FI_RGBA_ALPHA] = (x == 0 && y == 0) ? 128 : 255;
            }
        ASSERT_TRUE(FreeImage_Save(fif, bitmap, name.c_str(), 0));
        FreeImage_Unload(bitmap);
    }
    // The surface's pixel (x, y) of memory row y as a 32-bit word.
    DWORD SurfaceWord(LPDIRECTDRAWSURFACE7 surface, DWORD x, DWORD y, DDSURFACEDESC2* seen = nullptr) {
        DDSURFACEDESC2 locked = Description(0, 0);
        EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr), DD_OK);
        DWORD word = 0;
        std::memcpy(&word, static_cast<BYTE*>(locked.lpSurface) + locked.lPitch * y +
                               x * locked.ddpfPixelFormat.dwRGBBitCount / 8,
                    locked.ddpfPixelFormat.dwRGBBitCount / 8);
        surface->Unlock(nullptr);
        if (seen) *seen = locked;
        return word;
    }

    fs::path previous;
    std::string directory;
    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3d = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirect3DDevice7* device = nullptr;
    IDirect3DDevice7* software = nullptr;
};

TEST_F(TextureSurfaceTest, RestoreMakesATrueColourSurfaceWithTheImageRowsInOrder) {
    WriteImage("wall.png", FIF_PNG, 7, 5, false);
    ASSERT_EQ(CreateTexture("wall.png", 0, 0), 0);
    EXPECT_EQ(GetTextureSurface("wall.png"), nullptr);
    ASSERT_EQ(RestoreTexture("WALL.PNG", device), 0);
    LPDIRECTDRAWSURFACE7 surface = GetTextureSurface("wall.png");
    ASSERT_NE(surface, nullptr);
    DDSURFACEDESC2 seen;
    DWORD word = SurfaceWord(surface, 3, 4, &seen);
    EXPECT_EQ(seen.dwWidth, 7u);
    EXPECT_EQ(seen.dwHeight, 5u);
    EXPECT_EQ(seen.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_FALSE(seen.ddpfPixelFormat.dwFlags & DDPF_ALPHAPIXELS);
    EXPECT_EQ(seen.ddsCaps.dwCaps2 & DDSCAPS2_TEXTUREMANAGE, DWORD(DDSCAPS2_TEXTUREMANAGE));
    EXPECT_EQ(word & 0xFFFFFF, (27u << 16) | (44u << 8) | 200u);
    EXPECT_EQ(SurfaceWord(surface, 0, 0) & 0xFFFFFF, 200u);

    // Release keeps the pixels: a restore without the file gives the surface again.
    fs::remove("wall.png");
    EXPECT_EQ(ReleaseTextureSurface("wall.png"), 0);
    EXPECT_EQ(GetTextureSurface("wall.png"), nullptr);
    ASSERT_EQ(RestoreTexture("wall.png", software), 0);
    surface = GetTextureSurface("wall.png");
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(SurfaceWord(surface, 3, 4, &seen) & 0xFFFFFF, (27u << 16) | (44u << 8) | 200u);
    EXPECT_TRUE(seen.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
    // Restoring a restored texture replaces its surface.
    ASSERT_EQ(RestoreTexture("wall.png", device), 0);
    EXPECT_NE(GetTextureSurface("wall.png"), nullptr);
}

TEST_F(TextureSurfaceTest, TheDevicesSizeRulesStretchTheImageOntoTheSurface) {
    WriteImage("big.png", FIF_PNG, 100, 60, false);
    ASSERT_EQ(CreateTexture("big.png", 0, 0), 0);
    velmora::platform::SetTextureCaps(D3DPTEXTURECAPS_POW2, 0, 0);
    ASSERT_EQ(RestoreTexture("big.png", device), 0);
    DDSURFACEDESC2 seen;
    // The far corner of the surface shows the image's far corner.
    DWORD corner = SurfaceWord(GetTextureSurface("big.png"), 127, 63, &seen);
    EXPECT_EQ(seen.dwWidth, 128u);
    EXPECT_EQ(seen.dwHeight, 64u);
    EXPECT_EQ(corner & 0xFFFFFF, (BYTE(99 * 9) * 65536u) | (BYTE(59 * 11) * 256u) | 200u);
    EXPECT_EQ(SurfaceWord(GetTextureSurface("big.png"), 0, 0) & 0xFFFFFF, 200u);

    velmora::platform::SetTextureCaps(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 64, 64);
    ASSERT_EQ(RestoreTexture("big.png", device), 0);
    SurfaceWord(GetTextureSurface("big.png"), 0, 0, &seen);
    EXPECT_EQ(seen.dwWidth, 64u);
    EXPECT_EQ(seen.dwHeight, 64u);
}

TEST_F(TextureSurfaceTest, AlphaImagesGetAnAlphaFormat) {
    WriteImage("glass.tga", FIF_TARGA, 6, 3, true);
    ASSERT_EQ(CreateTexture("glass.tga", 0, 0), 0);
    EXPECT_EQ(TextureHasAlpha("glass.tga"), 1);
    ASSERT_EQ(RestoreTexture("glass.tga", device), 0);
    DDSURFACEDESC2 seen;
    DWORD corner = SurfaceWord(GetTextureSurface("glass.tga"), 0, 0, &seen);
    EXPECT_TRUE(seen.ddpfPixelFormat.dwFlags & DDPF_ALPHAPIXELS);
    EXPECT_EQ(seen.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(corner >> 24, 128u);
    EXPECT_EQ(SurfaceWord(GetTextureSurface("glass.tga"), 1, 0) >> 24, 255u);
}

TEST_F(TextureSurfaceTest, TwoMaterialsShareOneSurfaceAndOneDeletionEndsIt) {
    WriteImage("stone.bmp", FIF_BMP, 4, 4, false);
    ASSERT_EQ(CreateTexture("stone.bmp", 0, 0), 0);
    ASSERT_EQ(CreateTexture("Stone.BMP", 0, 0), 0);
    ASSERT_EQ(RestoreTexture("stone.bmp", device), 0);
    EXPECT_EQ(GetTextureSurface("Stone.BMP"), GetTextureSurface("stone.bmp"));
    // The release action: surface dropped, then the name deleted.
    EXPECT_EQ(ReleaseTextureSurface("stone.bmp"), 0);
    EXPECT_EQ(DeleteTexture("stone.bmp"), 0);
    EXPECT_EQ(GetTextureSurface("Stone.BMP"), nullptr);
    EXPECT_EQ(RestoreTexture("Stone.BMP", device), TEXTURE_NOT_FOUND);
    EXPECT_EQ(DeleteTexture("Stone.BMP"), 0);
}

TEST_F(TextureSurfaceTest, DeletingARestoredTextureReleasesItsSurface) {
    WriteImage("a.png", FIF_PNG, 2, 2, false);
    ASSERT_EQ(CreateTexture("a.png", 0, 0), 0);
    ASSERT_EQ(RestoreTexture("a.png", device), 0);
    LPDIRECTDRAWSURFACE7 surface = GetTextureSurface("a.png");
    surface->AddRef();
    EXPECT_EQ(DeleteTexture("a.png"), 0);
    EXPECT_EQ(surface->Release(), 0u);
}

}  // namespace
