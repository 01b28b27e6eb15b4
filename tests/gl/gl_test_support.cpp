#include "gl/gl_test_support.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace velmora::testing {

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 255); }

bool LoadPng(const std::string& path, Image& image) {
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!loaded) return false;
    FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    image.width = static_cast<int>(FreeImage_GetWidth(bitmap));
    image.height = static_cast<int>(FreeImage_GetHeight(bitmap));
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(bitmap, image.height - 1 - y);
        for (int x = 0; x < image.width; ++x)
            image.pixels[static_cast<size_t>(y) * image.width + x] =
                static_cast<uint32_t>(line[x * 3 + FI_RGBA_RED]) << 16 |
                static_cast<uint32_t>(line[x * 3 + FI_RGBA_GREEN]) << 8 | line[x * 3 + FI_RGBA_BLUE];
    }
    FreeImage_Unload(bitmap);
    return true;
}

bool SavePng(const std::string& path, const Image& image) {
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
    for (int y = 0; y < image.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.At(x, y);
            line[x * 3 + FI_RGBA_RED] = static_cast<BYTE>(p >> 16);
            line[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>(p >> 8);
            line[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(p);
        }
    }
    bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
    return saved;
}

void ExpectLike(const Image& actual, const std::string& golden, int tolerance, double strayShare) {
    std::string path = std::string(VELMORA_GOLDEN_DIR) + "/" + golden + ".png";
    const char* update = std::getenv("VELMORA_UPDATE_GOLDENS");
    if (update && std::strcmp(update, "1") == 0) {
        ASSERT_TRUE(SavePng(path, actual)) << path;
        return;
    }
    Image expected;
    ASSERT_TRUE(LoadPng(path, expected)) << "no golden image " << path;
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    size_t stray = 0;
    int worst = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        int difference = 0;
        for (int shift : {16, 8, 0})
            difference = std::max(difference, std::abs(Channel(actual.pixels[i], shift) -
                                                       Channel(expected.pixels[i], shift)));
        worst = std::max(worst, difference);
        if (difference > tolerance) ++stray;
    }
    bool like = stray <= static_cast<size_t>(strayShare * actual.pixels.size());
    if (!like) SavePng(std::filesystem::temp_directory_path().string() + "/" + golden + ".actual.png", actual);
    EXPECT_TRUE(like) << golden << ": " << stray << " pixels differ by more than " << tolerance
                      << " (worst " << worst << "); the image was written to the temporary folder";
}

void ExpectColour(uint32_t pixel, float r, float g, float b, int tolerance) {
    int expected[3] = {static_cast<int>(std::lround(std::clamp(r, 0.0f, 1.0f) * 255)),
                       static_cast<int>(std::lround(std::clamp(g, 0.0f, 1.0f) * 255)),
                       static_cast<int>(std::lround(std::clamp(b, 0.0f, 1.0f) * 255))};
    int got[3] = {Channel(pixel, 16), Channel(pixel, 8), Channel(pixel, 0)};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], expected[i], tolerance) << "channel " << i << " of " << std::hex << pixel;
}

IDirectDrawSurface7* OneColourTexture(uint32_t argb, bool withAlpha) {
    IDirectDraw7* directDraw = nullptr;
    if (backBuffer->GetDDInterface(reinterpret_cast<void**>(&directDraw)) != DD_OK) return nullptr;
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.dwWidth = description.dwHeight = 2;
    description.ddpfPixelFormat.dwSize = kPixelFormatSize;
    description.ddpfPixelFormat.dwFlags = DDPF_RGB | (withAlpha ? DDPF_ALPHAPIXELS : 0);
    description.ddpfPixelFormat.dwRGBBitCount = 32;
    description.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
    description.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
    description.ddpfPixelFormat.dwBBitMask = 0x000000FF;
    description.ddpfPixelFormat.dwRGBAlphaBitMask = withAlpha ? 0xFF000000 : 0;
    IDirectDrawSurface7* texture = nullptr;
    HRESULT created = directDraw->CreateSurface(&description, &texture, nullptr);
    directDraw->Release();
    if (created != DD_OK) return nullptr;
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    if (texture->Lock(nullptr, &locked, 0, nullptr) != DD_OK) return texture;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch)[x] = argb;
    texture->Unlock(nullptr);
    return texture;
}

}  // namespace velmora::testing
