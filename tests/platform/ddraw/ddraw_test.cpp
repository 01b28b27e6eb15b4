// The DirectDraw 7 / Direct3D 7 stand-in over the null drawing back end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ddraw/d3d.h"
#include "platform/ddraw/display_objects.h"
#include "platform/ddraw/surface_dc.h"
#include "platform/setup/platform_settings.h"
#include "support/engine_fixture.h"

using velmora::testing::FileExists;

namespace {

DDSURFACEDESC2 Description(DWORD flags, DWORD caps) {
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = flags;
    description.ddsCaps.dwCaps = caps;
    return description;
}

DDPIXELFORMAT Rgb(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
    DDPIXELFORMAT format{};
    format.dwSize = kPixelFormatSize;
    format.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
    format.dwRGBBitCount = bits;
    format.dwRBitMask = r;
    format.dwGBitMask = g;
    format.dwBBitMask = b;
    format.dwRGBAlphaBitMask = a;
    return format;
}

class DirectDrawTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CreateRenderWindow();
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
    }
    void TearDown() override {
        velmora::platform::ReleaseDisplayObjects();
        EngineTest::TearDown();
    }
    // Exclusive 640x480x32 with a flipping primary and a z-buffered back buffer.
    void OpenDisplay() {
        ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DD_OK);
        DDSURFACEDESC2 description = Description(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                                 DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE);
        description.dwBackBufferCount = 1;
        ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
        DDSCAPS2 caps = {DDSCAPS_BACKBUFFER, 0, 0, {0}};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
        DDSURFACEDESC2 depth = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_ZBUFFER);
        depth.dwWidth = 640;
        depth.dwHeight = 480;
        ASSERT_EQ(directDraw->CreateSurface(&depth, &zbuffer, nullptr), DD_OK);
        ASSERT_EQ(back->AddAttachedSurface(zbuffer), DD_OK);
        IDirect3D7* direct3d = nullptr;
        ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d)), DD_OK);
        ASSERT_EQ(direct3d->CreateDevice(IID_IDirect3DHALDevice, back, &device), D3D_OK);
        direct3d->Release();
    }
    IDirectDrawSurface7* MemorySurface(DWORD width, DWORD height, const DDPIXELFORMAT& format) {
        DDSURFACEDESC2 description = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                                                 DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
        description.dwWidth = width;
        description.dwHeight = height;
        description.ddpfPixelFormat = format;
        IDirectDrawSurface7* surface = nullptr;
        EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
        return surface;
    }
    IDirectDraw7* directDraw = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirectDrawSurface7* zbuffer = nullptr;
    IDirect3DDevice7* device = nullptr;
};

struct Reported {
    std::vector<std::string> names;
    std::vector<DWORD> caps;
    std::vector<GUID> guids;
};

HRESULT CALLBACK CollectDevice(LPSTR, LPSTR name, LPD3DDEVICEDESC7 description, LPVOID context) {
    auto* reported = static_cast<Reported*>(context);
    reported->names.push_back(name);
    reported->caps.push_back(description->dwDevCaps);
    reported->guids.push_back(description->deviceGUID);
    return D3DENUMRET_OK;
}

HRESULT CALLBACK CollectFormat(LPDDPIXELFORMAT format, LPVOID context) {
    static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*format);
    return D3DENUMRET_OK;
}

HRESULT WINAPI CollectMode(LPDDSURFACEDESC2 mode, LPVOID context) {
    auto* modes = static_cast<std::vector<std::string>*>(context);
    modes->push_back(std::to_string(mode->dwWidth) + "x" + std::to_string(mode->dwHeight) + "x" +
                     std::to_string(mode->ddpfPixelFormat.dwRGBBitCount));
    return modes->size() == 3 ? DDENUMRET_CANCEL : DDENUMRET_OK;
}

TEST_F(DirectDrawTest, WhatTheEnumerationReports) {
    IDirect3D7* direct3d = nullptr;
    ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d)), DD_OK);
    Reported reported;
    ASSERT_EQ(direct3d->EnumDevices(CollectDevice, &reported), D3D_OK);
    EXPECT_EQ(reported.names, (std::vector<std::string>{"RGB Emulation", "Direct3D HAL", "Direct3D T&L HAL"}));
    EXPECT_EQ(reported.caps[0] & D3DDEVCAPS_HWRASTERIZATION, 0u);
    EXPECT_NE(reported.caps[1] & D3DDEVCAPS_HWRASTERIZATION, 0u);
    EXPECT_NE(reported.caps[2] & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
    EXPECT_TRUE(IsEqualGUID(reported.guids[0], IID_IDirect3DRGBDevice));

    std::vector<DDPIXELFORMAT> depth;
    ASSERT_EQ(direct3d->EnumZBufferFormats(IID_IDirect3DHALDevice, CollectFormat, &depth), D3D_OK);
    ASSERT_EQ(depth.size(), 3u);
    EXPECT_EQ(depth[0].dwFlags, static_cast<DWORD>(DDPF_ZBUFFER | DDPF_STENCILBUFFER));
    EXPECT_EQ(depth[0].dwStencilBitDepth, 8u);
    EXPECT_EQ(depth[1].dwFlags, static_cast<DWORD>(DDPF_ZBUFFER));
    EXPECT_EQ(depth[1].dwZBufferBitDepth, 32u);
    EXPECT_EQ(depth[2].dwZBufferBitDepth, 16u);
    GUID unknown{};
    EXPECT_EQ(direct3d->EnumZBufferFormats(unknown, CollectFormat, &depth), DDERR_INVALIDPARAMS);
    direct3d->Release();

    // Modes ascending, 16 then 32 bits; the callback can stop the enumeration.
    std::vector<std::string> modes;
    EXPECT_EQ(directDraw->EnumDisplayModes(0, nullptr, &modes, CollectMode), DD_OK);
    EXPECT_EQ(modes, (std::vector<std::string>{"640x480x16", "640x480x32", "800x600x16"}));
    DDSURFACEDESC2 filter = Description(DDSD_WIDTH, 0);
    filter.dwWidth = 1280;
    modes.clear();
    directDraw->EnumDisplayModes(0, &filter, &modes, CollectMode);
    EXPECT_EQ(modes, (std::vector<std::string>{"1280x720x16", "1280x720x32", "1280x1024x16"}));

    // Only the primary display is there.
    GUID other{};
    other.Data1 = 1;
    void* second = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(&other, &second, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &second, IID_IDirect3D7, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, ReferenceCounts) {
    IDirect3D7* direct3d = nullptr;
    directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d));
    EXPECT_EQ(directDraw->AddRef(), 3u);  // ours, the Direct3D object's, this one
    EXPECT_EQ(directDraw->Release(), 2u);
    EXPECT_EQ(direct3d->Release(), 0u);
    DDSURFACEDESC2 description = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN);
    description.dwWidth = description.dwHeight = 4;
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
    void* owner = nullptr;
    ASSERT_EQ(surface->GetDDInterface(&owner), DD_OK);
    EXPECT_EQ(owner, static_cast<void*>(directDraw));
    EXPECT_EQ(directDraw->Release(), 2u);  // the surface still holds one
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(directDraw->Release(), 0u);
    directDraw = nullptr;
}

TEST_F(DirectDrawTest, CooperativeLevelAndModeRules) {
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_FPUSETUP), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(641, 480, 32, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 8, 0, 0), DDERR_INVALIDMODE);
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16, 60, 0), DD_OK);
    EXPECT_EQ(windowSystem->displayWidth, 800);
    EXPECT_FALSE(windowSystem->displayWindowed);
    DDSURFACEDESC2 mode{};
    mode.dwSize = kSurfaceDescSize;
    ASSERT_EQ(directDraw->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwHeight, 600u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRBitMask, 0xF800u);
    // No size is the desktop's; the switch keeps a window of the mode's size.
    velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
    settings.windowed = true;
    velmora::platform::UsePlatformSettings(settings);
    EXPECT_EQ(directDraw->SetDisplayMode(0, 0, 32, 0, 0), DD_OK);
    EXPECT_EQ(windowSystem->displayWidth, 1024);
    EXPECT_TRUE(windowSystem->displayWindowed);
    mode.dwSize = 7;
    EXPECT_EQ(directDraw->GetDisplayMode(&mode), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, MemorySurfacesConvertBetweenFormats) {
    IDirectDrawSurface7* small = MemorySurface(2, 1, Rgb(16, 0xF800, 0x07E0, 0x001F, 0));
    IDirectDrawSurface7* large = MemorySurface(4, 2, Rgb(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000));
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    ASSERT_EQ(small->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(small->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    uint16_t* pixels = static_cast<uint16_t*>(locked.lpSurface);
    pixels[0] = 0xF800;  // red
    pixels[1] = 0x07E0;  // green
    ASSERT_EQ(small->Unlock(nullptr), DD_OK);
    EXPECT_EQ(small->Unlock(nullptr), DDERR_NOTLOCKED);

    // A stretching copy into a 32-bit surface with alpha: each source pixel twice wide, twice high.
    ASSERT_EQ(large->Blt(nullptr, small, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    ASSERT_EQ(large->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr), DD_OK);
    const uint32_t* words = static_cast<const uint32_t*>(locked.lpSurface);
    LONG pitch = locked.lPitch / 4;
    EXPECT_EQ(words[0], 0xFFFF0000u);
    EXPECT_EQ(words[1], 0xFFFF0000u);
    EXPECT_EQ(words[2], 0xFF00FF00u);
    EXPECT_EQ(words[pitch + 3], 0xFF00FF00u);
    large->Unlock(nullptr);

    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = 0x001F;
    RECT right = {1, 0, 2, 1};
    ASSERT_EQ(small->Blt(&right, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    ASSERT_EQ(small->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint16_t*>(locked.lpSurface)[0], 0xF800);
    EXPECT_EQ(static_cast<uint16_t*>(locked.lpSurface)[1], 0x001F);
    small->Unlock(nullptr);
    RECT outside = {0, 0, 3, 1};
    EXPECT_EQ(small->Lock(&outside, &locked, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(small->Blt(&outside, large, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    small->Release();
    large->Release();

    DDSURFACEDESC2 palette = Description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_TEXTURE);
    palette.dwWidth = palette.dwHeight = 8;
    palette.ddpfPixelFormat.dwSize = kPixelFormatSize;
    palette.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    palette.ddpfPixelFormat.dwRGBBitCount = 8;
    IDirectDrawSurface7* none = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&palette, &none, nullptr), DDERR_INVALIDPIXELFORMAT);
    palette.dwWidth = 100000;
    EXPECT_EQ(directDraw->CreateSurface(&palette, &none, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawTest, BackBufferIsReadWrittenAndFlipped) {
    OpenDisplay();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0), D3D_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    RECT corner = {639, 479, 640, 480};
    ASSERT_EQ(back->Lock(&corner, &locked, 0, nullptr), DD_OK);
    EXPECT_EQ(*static_cast<uint32_t*>(locked.lpSurface) & 0xFFFFFF, 0x336699u);
    *static_cast<uint32_t*>(locked.lpSurface) = 0x00ABCDEF;
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->Unlock(nullptr);

    // Text drawing reaches the pixels through the device context.
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(back->GetDC(&second), DDERR_DCALREADYCREATED);
    velmora::platform::SurfacePixels pixels;
    ASSERT_TRUE(velmora::platform::PixelsOfSurfaceDC(dc, pixels));
    EXPECT_EQ(pixels.width, 640u);
    EXPECT_EQ(static_cast<uint32_t*>(pixels.bits)[479 * pixels.pitch / 4 + 639] & 0xFFFFFF, 0xABCDEFu);
    static_cast<uint32_t*>(pixels.bits)[0] = 0x00102030;
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_FALSE(velmora::platform::PixelsOfSurfaceDC(dc, pixels));
    ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr), DD_OK);
    EXPECT_EQ(*static_cast<uint32_t*>(locked.lpSurface) & 0xFFFFFF, 0x102030u);
    back->Unlock(nullptr);

    // A viewport bounds the clear.
    D3DVIEWPORT7 viewport = {10, 10, 20, 20, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    back->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr);
    const uint32_t* words = static_cast<const uint32_t*>(locked.lpSurface);
    EXPECT_EQ(words[10 * 640 + 10] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(words[30 * 640 + 30] & 0xFFFFFF, 0x336699u);
    back->Unlock(nullptr);
    D3DVIEWPORT7 tooLarge = {600, 0, 100, 10, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&tooLarge), DDERR_INVALIDPARAMS);

    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    uint32_t before = timeGetTime();
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(timeGetTime(), before + 20);  // one frame at 50 per second
}

TEST_F(DirectDrawTest, CaptureWritesEachPresentedFrame) {
    std::string directory = velmora::testing::MakeTempDirectory() + "/frames";
    velmora::platform::ReleaseDisplayObjects();  // the capture folder is read when the display starts
    velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
    settings.captureDirectory = directory;
    velmora::platform::UsePlatformSettings(settings);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
    OpenDisplay();
    for (int i = 0; i < 3; ++i) primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_TRUE(FileExists(directory + "/frame_000000.png"));
    EXPECT_TRUE(FileExists(directory + "/frame_000002.png"));
    EXPECT_FALSE(FileExists(directory + "/frame_000003.png"));
}

TEST_F(DirectDrawTest, EachRefreshMovesTheFrameClockOnce) {
    OpenDisplay();
    // 30 frames per second from 0 ms: frames at 0, 33, 66, 100, ...
    velmora::platform::UseVirtualClock(velmora::platform::FrameRate{30, 1}, 0);
    EXPECT_EQ(directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    EXPECT_EQ(timeGetTime(), 33u);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(timeGetTime(), 66u);
    // What is refused lets no refresh pass.
    EXPECT_EQ(directDraw->WaitForVerticalBlank(0, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    ASSERT_EQ(back->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->Unlock(nullptr);
    EXPECT_EQ(timeGetTime(), 66u);
    EXPECT_EQ(directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(timeGetTime(), 133u);
}

TEST_F(DirectDrawTest, DeviceRefusesWhatItCannotDrawSafely) {
    OpenDisplay();
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);

    float vertices[3 * 8] = {};
    WORD indices[3] = {0, 1, 3};  // 3 is past the three vertices
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices, 3, indices, 3, 0),
              DDERR_INVALIDPARAMS);
    indices[2] = 2;
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices, 3, indices, 3, 0), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_XYZRHW, vertices, 3, indices, 3, 0),
              D3DERR_INVALIDVERTEXFORMAT);
    EXPECT_EQ(device->DrawIndexedPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0x112, vertices, 3, indices, 3, 0),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetLight(0, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetTexture(0, back), DDERR_INVALIDPARAMS);  // the render target is no texture
    EXPECT_EQ(device->SetTextureStageState(9, D3DTSS_COLOROP, D3DTOP_MODULATE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(400), 1), DDERR_INVALIDPARAMS);

    IDirectDrawSurface7* target = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&target), D3D_OK);
    EXPECT_EQ(target, back);
    target->Release();

    // Textures are reported in the order the engine's format search expects.
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    ASSERT_EQ(formats.size(), 6u);
    EXPECT_EQ(formats[0].dwRGBAlphaBitMask, 0u);
    EXPECT_EQ(formats[2].dwRGBAlphaBitMask, 0xF000u);
    EXPECT_EQ(formats[5].dwRGBBitCount, 32u);
    EXPECT_EQ(formats[5].dwRGBAlphaBitMask, 0xFF000000u);

    // Only the back buffer can be drawn on.
    IDirect3D7* direct3d = nullptr;
    directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d));
    IDirectDrawSurface7* texture = MemorySurface(4, 4, formats[4]);
    IDirect3DDevice7* other = nullptr;
    EXPECT_EQ(direct3d->CreateDevice(IID_IDirect3DHALDevice, texture, &other), DDERR_INVALIDCAPS);
    EXPECT_EQ(device->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(device->PreLoad(texture), D3D_OK);
    texture->Release();  // the device still holds it
    EXPECT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    direct3d->Release();
}

}  // namespace
