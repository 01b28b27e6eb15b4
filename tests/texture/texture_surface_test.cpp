// Texture surfaces made by Restore on the Direct3D stand-in (null drawing back
// end), and what the cache does with them.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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

DDPIXELFORMAT Rgb(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
    DDPIXELFORMAT format{};
    format.dwSize = kPixelFormatSize;
    format.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
    format.dwRGBBitCount = bits;
    format.dwRBitMask = red;
    format.dwGBitMask = green;
    format.dwBBitMask = blue;
    format.dwRGBAlphaBitMask = alpha;
    return format;
}

DDPIXELFORMAT Flagged(DWORD flags, DWORD bits) {
    DDPIXELFORMAT format = Rgb(bits, 0, 0, 0, 0);
    format.dwFlags = flags;
    return format;
}

// A texture whose pixels are set here rather than decoded: width x height
// words in stored order, and the depth the decoder would have reported.
TextureContainer* HandMade(const char* name, DWORD width, DWORD height, DWORD sourceBits, BOOL alpha,
                           const std::vector<DWORD>& words) {
    auto* texture = new TextureContainer(name, 0);
    texture->dwWidth = width;
    texture->dwHeight = height;
    texture->dwSourceBits = sourceBits;
    texture->bAlpha = alpha;
    texture->pPixels = static_cast<DWORD*>(std::malloc(words.size() * 4));
    std::memcpy(texture->pPixels, words.data(), words.size() * 4);
    return texture;
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

// A card without 32-bit formats: the search finds nothing at the depth it
// wants, tries again for any 16-bit format of the right alpha kind (never a
// palettised one), and the image is converted into 16-bit words.
TEST_F(TextureSurfaceTest, WithoutTheWantedDepthRestoreFallsBackToSixteenBits) {
    const DDPIXELFORMAT x555 = Rgb(16, 0x7C00, 0x03E0, 0x001F, 0), a4444 = Rgb(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    const DDPIXELFORMAT a1555 = Rgb(16, 0x7C00, 0x03E0, 0x001F, 0x8000), r565 = Rgb(16, 0xF800, 0x07E0, 0x001F, 0);
    const DDPIXELFORMAT luminance = Flagged(DDPF_LUMINANCE, 16);
    velmora::platform::SetTextureFormats({luminance, a4444, a1555, r565});

    // A true-colour image (3 wide, so that 16-bit rows carry padding) asks
    // for 32 bits first and takes 5-6-5.
    TextureContainer* opaque = HandMade("opaque.bmp", 3, 2, 24, FALSE,
                                        {0xFF804000, 0x000000FF, 0xFFFFFFFF, 0x08040800, 0x10203000, 0xF8FCF8FF});
    ASSERT_EQ(RestoreTexture("opaque.bmp", device), 0);
    DDSURFACEDESC2 seen;
    EXPECT_EQ(SurfaceWord(opaque->pddsTexture, 0, 0, &seen), 0xFC08u);
    EXPECT_EQ(seen.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(seen.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(seen.lPitch, 8);
    EXPECT_EQ(SurfaceWord(opaque->pddsTexture, 1, 0), 0x0000u);
    EXPECT_EQ(SurfaceWord(opaque->pddsTexture, 2, 0), 0xFFFFu);
    EXPECT_EQ(SurfaceWord(opaque->pddsTexture, 0, 1), 0x0821u);
    EXPECT_EQ(SurfaceWord(opaque->pddsTexture, 1, 1), 0x1106u);
    EXPECT_EQ(SurfaceWord(opaque->pddsTexture, 2, 1), 0xFFFFu);

    // With alpha: 4-4-4-4 is passed over for 1-5-5-5, whose one alpha bit is
    // the top bit of the alpha byte.
    TextureContainer* clear = HandMade("clear.tga", 2, 1, 32, TRUE, {0xFF804080, 0x1020307F});
    ASSERT_EQ(RestoreTexture("clear.tga", device), 0);
    EXPECT_EQ(SurfaceWord(clear->pddsTexture, 0, 0, &seen), 0xFE08u);
    EXPECT_EQ(seen.ddpfPixelFormat.dwRGBAlphaBitMask, 0x8000u);
    EXPECT_EQ(SurfaceWord(clear->pddsTexture, 1, 0), 0x0886u);

    // A palettised depth asks for an 8-bit palettised format first; the retry
    // looks for RGB ones and takes the opaque 1-5-5-5 listed first.
    velmora::platform::SetTextureFormats({x555, r565});
    TextureContainer* indexed = HandMade("indexed.pcx", 1, 1, 8, FALSE, {0xFF804000});
    ASSERT_EQ(RestoreTexture("indexed.pcx", device), 0);
    EXPECT_EQ(SurfaceWord(indexed->pddsTexture, 0, 0, &seen), 0x7E08u);
    EXPECT_EQ(seen.ddpfPixelFormat.dwRBitMask, 0x7C00u);
}

// A card with no format the image can use: Restore fails, makes no surface
// and keeps the decoded pixels, and a later Restore on a card that has one
// succeeds.
TEST_F(TextureSurfaceTest, WithoutAnyUsableFormatRestoreFailsAndKeepsThePixels) {
    velmora::platform::SetTextureFormats({Flagged(DDPF_RGB | DDPF_PALETTEINDEXED8, 8), Flagged(DDPF_LUMINANCE, 8),
                                          Rgb(16, 0x0F00, 0x00F0, 0x000F, 0xF000)});
    WriteImage("wall.png", FIF_PNG, 7, 5, false);
    ASSERT_EQ(CreateTexture("wall.png", 0, 0), 0);
    TextureContainer* texture = FindTexture("wall.png");
    DWORD* pixels = texture->pPixels;
    std::vector<DWORD> before(pixels, pixels + 35);
    EXPECT_EQ(RestoreTexture("wall.png", device), static_cast<HRESULT>(0x80004005));
    EXPECT_EQ(texture->pddsTexture, nullptr);
    EXPECT_EQ(GetTextureSurface("wall.png"), nullptr);
    ASSERT_EQ(texture->pPixels, pixels);
    EXPECT_EQ(std::vector<DWORD>(pixels, pixels + 35), before);
    // An alpha image finds nothing either: 4-4-4-4 is never taken.
    WriteImage("glass.tga", FIF_TARGA, 6, 3, true);
    ASSERT_EQ(CreateTexture("glass.tga", 0, 0), 0);
    EXPECT_EQ(RestoreTexture("glass.tga", device), static_cast<HRESULT>(0x80004005));

    velmora::platform::ResetTextureCaps();
    ASSERT_EQ(RestoreTexture("wall.png", device), 0);
    ASSERT_NE(GetTextureSurface("wall.png"), nullptr);
    EXPECT_EQ(SurfaceWord(GetTextureSurface("wall.png"), 3, 4) & 0xFFFFFF, (27u << 16) | (44u << 8) | 200u);
}

// The widest picture the loader takes gets its surface: the temporary surface
// it is filled through has the image's own size.
TEST_F(TextureSurfaceTest, APictureAtTheWidthBoundIsFilledOntoItsSurface) {
    WriteImage("line.bmp", FIF_BMP, 8192, 2, false);
    ASSERT_EQ(CreateTexture("line.bmp", 0, 0), 0);
    ASSERT_EQ(RestoreTexture("line.bmp", device), 0);
    DDSURFACEDESC2 seen;
    DWORD last = SurfaceWord(GetTextureSurface("line.bmp"), 4095, 1, &seen);
    EXPECT_EQ(seen.dwWidth, 4096u);  // the device's largest
    EXPECT_EQ(seen.dwHeight, 2u);
    EXPECT_EQ(last & 0xFFFFFF, (BYTE(8190 * 9) * 65536u) | (11u * 256u) | 200u);
}

}  // namespace
