// Texture surfaces on OpenGL give up their memory once sent, as managed
// textures do, and read their pixels back from OpenGL when locked again:
// each format the device lists comes back word for word.
#include <vector>

#include "gl/gl_test_support.h"

using namespace velmora::testing;

namespace {

HRESULT CALLBACK CollectFormat(LPDDPIXELFORMAT format, LPVOID context) {
    static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*format);
    return D3DENUMRET_OK;
}

IDirectDrawSurface7* TextureOf(const DDPIXELFORMAT& format, DWORD width, DWORD height) {
    IDirectDraw7* directDraw = nullptr;
    if (backBuffer->GetDDInterface(reinterpret_cast<void**>(&directDraw)) != DD_OK) return nullptr;
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddpfPixelFormat = format;
    IDirectDrawSurface7* texture = nullptr;
    directDraw->CreateSurface(&description, &texture, nullptr);
    directDraw->Release();
    return texture;
}

// Every texel's bytes, row after row, as a lock shows them.
std::vector<uint8_t> Texels(IDirectDrawSurface7* texture, DWORD rowBytes, DWORD height) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    std::vector<uint8_t> bytes;
    if (texture->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr) != DD_OK) return bytes;
    for (DWORD y = 0; y < height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(locked.lpSurface) + y * locked.lPitch;
        bytes.insert(bytes.end(), row, row + rowBytes);
    }
    texture->Unlock(nullptr);
    return bytes;
}

}  // namespace

TEST_F(GlRenderTest, TexturesSentToOpenGlKeepNoCopyAndComeBackWordForWord) {
    std::vector<DDPIXELFORMAT> formats;
    d3dDevice->EnumTextureFormats(CollectFormat, &formats);
    int tried = 0;
    for (const DDPIXELFORMAT& format : formats) {
        if (!(format.dwFlags & DDPF_RGB) || (format.dwFlags & DDPF_PALETTEINDEXED8)) continue;
        SCOPED_TRACE(testing::Message() << format.dwRGBBitCount << " bits, alpha mask " << format.dwRGBAlphaBitMask);
        ++tried;
        const DWORD width = 5, height = 3, bytes = format.dwRGBBitCount / 8;
        IDirectDrawSurface7* texture = TextureOf(format, width, height);
        ASSERT_NE(texture, nullptr);
        // Bytes that use every bit, with the unused top bits of the X formats set.
        DDSURFACEDESC2 locked{};
        locked.dwSize = kSurfaceDescSize;
        ASSERT_EQ(texture->Lock(nullptr, &locked, 0, nullptr), DD_OK);
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width * bytes; ++x)
                static_cast<uint8_t*>(locked.lpSurface)[y * locked.lPitch + x] = uint8_t(37 * (y * 17 + x) + 11);
        if (!format.dwRGBAlphaBitMask)
            for (DWORD y = 0; y < height; ++y)
                for (DWORD x = 0; x < width; ++x) {
                    uint8_t& top = static_cast<uint8_t*>(locked.lpSurface)[y * locked.lPitch + x * bytes + bytes - 1];
                    top |= bytes == 4 ? 0xFF : 0x80;
                }
        texture->Unlock(nullptr);
        std::vector<uint8_t> before = Texels(texture, width * bytes, height);
        EXPECT_GT(velmora::platform::SurfaceMemoryBytes(texture), 0u);
        ASSERT_EQ(d3dDevice->PreLoad(texture), D3D_OK);
        EXPECT_EQ(velmora::platform::SurfaceMemoryBytes(texture), 0u);
        EXPECT_EQ(Texels(texture, width * bytes, height), before);
        texture->Release();
    }
    EXPECT_EQ(tried, 6);
}
