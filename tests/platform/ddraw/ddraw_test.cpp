// The DirectDraw 7 / Direct3D 7 stand-in over the null drawing back end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/backend/lent_pixels.h"
#include "platform/ddraw/d3d.h"
#include "platform/ddraw/display_objects.h"
#include "platform/ddraw/matrix_math.h"
#include "platform/ddraw/objects.h"
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
    velmora::platform::LentPixels pixels;
    ASSERT_TRUE(velmora::platform::PixelsOfLentHandle(dc, pixels));
    EXPECT_EQ(pixels.width, 640u);
    EXPECT_EQ(static_cast<uint32_t*>(pixels.bits)[479 * pixels.pitch / 4 + 639] & 0xFFFFFF, 0xABCDEFu);
    static_cast<uint32_t*>(pixels.bits)[0] = 0x00102030;
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_FALSE(velmora::platform::PixelsOfLentHandle(dc, pixels));
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

// What a capture hands its writer: each frame's first pixel, and whether it
// came as a repeat of the one before.
class RecordingFrameWriter : public velmora::platform::FrameWriter {
public:
    struct Frame {
        uint32_t pixel;
        bool repeat;
        bool operator==(const Frame&) const = default;
    };
    bool WriteFrame(const uint32_t* pixels, int, int) override {
        frames.push_back({pixels[0] & 0xFFFFFF, false});
        return static_cast<int>(frames.size()) != failAt;
    }
    bool RepeatFrame(const uint32_t* pixels, int, int) override {
        frames.push_back({pixels[0] & 0xFFFFFF, true});
        return static_cast<int>(frames.size()) != failAt;
    }
    std::vector<Frame> frames;
    int failAt = -1;  // the frame count at which a write fails
};

class FilmCaptureTest : public DirectDrawTest {
protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        velmora::platform::ReleaseDisplayObjects();  // the capture is set up when the display starts
        velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
        settings.frameWriter = writer;
        settings.filmCapture = true;
        settings.virtualClock = true;
        settings.frameRate = velmora::platform::FrameRate{25, 1};
        velmora::platform::UsePlatformSettings(settings);
        velmora::platform::UseVirtualClock(settings.frameRate, 0);
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
                  DD_OK);
        OpenDisplay();
    }
    void Show(uint32_t colour) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
        primary->Flip(nullptr, DDFLIP_WAIT);
    }
    std::shared_ptr<RecordingFrameWriter> writer = std::make_shared<RecordingFrameWriter>();
};

TEST_F(FilmCaptureTest, APictureHeldThroughASleepFillsTheFilmToTheClock) {
    using Frame = RecordingFrameWriter::Frame;
    // 25 frames a second, 40 ms each. 50 ms before the first picture put it
    // partway into film frame 1, which it takes: one black frame first.
    Sleep(50);
    Show(0x000001);  // film frame 1
    Show(0x000002);  // 2
    Sleep(100);      // 150 ms held in all: 3.75 frames
    Show(0x000003);  // 5 (3 + 2 presented), after two repeats of the picture held
    Sleep(1000);     // the pause after the show: 1150 ms held, 28.75 frames
    velmora::platform::FinishFrameCapture();
    // The film covers the clock's 31.75 frames: 32 of them.
    std::vector<Frame> expected = {{0, true}, {1, false}, {2, false}, {2, true}, {2, true}, {3, false}};
    expected.insert(expected.end(), 26, Frame{3, true});
    EXPECT_EQ(writer->frames, expected);
    // Nothing is taken after the end.
    Show(0x000004);
    velmora::platform::FinishFrameCapture();
    EXPECT_EQ(writer->frames.size(), 32u);
}

TEST_F(FilmCaptureTest, AWriterThatFailsIsOfferedNothingMore) {
    writer->failAt = 3;
    Show(0x000001);
    Sleep(200);  // five repeats due; the second fails
    Show(0x000002);
    Show(0x000003);
    velmora::platform::FinishFrameCapture();
    ASSERT_EQ(writer->frames.size(), 3u);
    EXPECT_TRUE(writer->frames[2].repeat);
}

TEST_F(DirectDrawTest, TheSettingsExtraModeIsReportedAndCanBeSet) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(333, 202, 32, 0, 0), DDERR_INVALIDMODE);
    velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
    settings.extraModeWidth = 333;
    settings.extraModeHeight = 202;
    velmora::platform::UsePlatformSettings(settings);
    std::vector<std::string> modes;
    directDraw->EnumDisplayModes(0, nullptr, &modes, [](LPDDSURFACEDESC2 mode, LPVOID context) -> HRESULT {
        static_cast<std::vector<std::string>*>(context)->push_back(
            std::to_string(mode->dwWidth) + "x" + std::to_string(mode->dwHeight) + "x" +
            std::to_string(mode->ddpfPixelFormat.dwRGBBitCount));
        return DDENUMRET_OK;
    });
    // Ascending by size like the others, so before 640x480.
    ASSERT_GE(modes.size(), 4u);
    EXPECT_EQ(modes[0], "333x202x16");
    EXPECT_EQ(modes[1], "333x202x32");
    EXPECT_EQ(modes[2], "640x480x16");
    EXPECT_EQ(directDraw->SetDisplayMode(333, 202, 32, 0, 0), DD_OK);
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
    ASSERT_EQ(formats.size(), 9u);
    EXPECT_EQ(formats[6].dwFlags, DWORD(DDPF_RGB | DDPF_PALETTEINDEXED8));
    EXPECT_EQ(formats[7].dwFlags, DWORD(DDPF_LUMINANCE));
    EXPECT_EQ(formats[8].dwFlags, DWORD(DDPF_BUMPDUDV));
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

// A drawing back end that keeps every draw record it is handed, and counts
// the texture uploads, so that tests see what the Direct3D device translated.
class DrawRecorder : public velmora::platform::RenderDevice {
public:
    const char* Name() const override { return "recorder"; }
    bool SetBackBufferSize(int width, int height) override {
        pixels.assign(static_cast<size_t>(width) * height, 0);
        return true;
    }
    void Clear(const velmora::platform::Viewport&, const velmora::platform::ClearRect*, int, bool,
               uint32_t, bool, float) override {}
    void Draw(const velmora::platform::DrawState& state, velmora::platform::Primitive, const void*,
              int, const velmora::platform::VertexLayout&, const uint16_t*, int, int lowest,
              int highest) override {
        draws.push_back(state);
        lastRange = {lowest, highest};
    }
    velmora::platform::TextureHandle CreateTexture() override { return ++lastTexture; }
    void UploadTexture(velmora::platform::TextureHandle texture, const void* rows, int pitch, int, int height,
                       velmora::platform::TexelLayout layout) override {
        ++uploads;
        lastLayout = layout;
        lastPitch = pitch;
        if (keeps) {
            const auto* bytes = static_cast<const uint8_t*>(rows);
            kept[texture] = {std::vector<uint8_t>(bytes, bytes + static_cast<size_t>(pitch) * height), pitch, layout};
        }
    }
    void DeleteTexture(velmora::platform::TextureHandle texture) override { kept.erase(texture); }
    bool KeepsTextures() const override { return keeps; }
    bool ReadTexture(velmora::platform::TextureHandle texture, void* rows, int pitch, int, int height,
                     velmora::platform::TexelLayout layout) override {
        auto found = kept.find(texture);
        if (found == kept.end() || found->second.pitch != pitch || found->second.layout != layout) return false;
        std::memcpy(rows, found->second.bytes.data(), static_cast<size_t>(pitch) * height);
        ++reads;
        return true;
    }
    void ReadBackBuffer(uint32_t* out) override { std::copy(pixels.begin(), pixels.end(), out); }
    void WriteBackBuffer(const uint32_t*) override {}
    void Present() override {}

    std::vector<velmora::platform::DrawState> draws;
    std::vector<uint32_t> pixels;
    velmora::platform::TextureHandle lastTexture = 0;
    int uploads = 0;
    std::pair<int, int> lastRange{-1, -1};
    velmora::platform::TexelLayout lastLayout = velmora::platform::TexelLayout::Argb8888;
    int lastPitch = 0;
    // Whether the back end keeps a copy of each texture, as OpenGL does.
    bool keeps = false;
    struct Copy {
        std::vector<uint8_t> bytes;
        int pitch;
        velmora::platform::TexelLayout layout;
    };
    std::map<velmora::platform::TextureHandle, Copy> kept;
    int reads = 0;
};

D3DMATRIX Translated(float x, float y, float z) {
    D3DMATRIX m = velmora::platform::ddraw::IdentityMatrix();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DLIGHT7 Light(float x, float y, float z, float r, float g, float b) {
    D3DLIGHT7 light{};
    light.dltType = D3DLIGHT_POINT;
    light.dcvDiffuse.r = r;
    light.dcvDiffuse.g = g;
    light.dcvDiffuse.b = b;
    light.dvPosition.x = x;
    light.dvPosition.y = y;
    light.dvPosition.z = z;
    light.dvRange = 100.0f;
    light.dvAttenuation0 = 1.0f;
    return light;
}

D3DMATERIAL7 Colour(float r, float g, float b) {
    D3DMATERIAL7 material{};
    material.diffuse.r = material.ambient.r = r;
    material.diffuse.g = material.ambient.g = g;
    material.diffuse.b = material.ambient.b = b;
    material.diffuse.a = material.ambient.a = 1.0f;
    return material;
}

// The display opened on a DrawRecorder instead of a real back end.
class DeviceStateTest : public DirectDrawTest {
protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        auto owned = std::make_unique<DrawRecorder>();
        recorder = owned.get();
        velmora::platform::ddraw::TheDisplay().device = std::move(owned);
        OpenDisplay();
    }
    // One triangle drawn; the record the back end was handed.
    const velmora::platform::DrawState& Drawn(IDirect3DDevice7* on = nullptr) {
        float vertices[3 * 8] = {0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 1, 0, 0, -1, 0, 0, 0, 1, 1, 0, 0, -1, 0, 0};
        WORD indices[3] = {0, 1, 2};
        size_t before = recorder->draws.size();
        EXPECT_EQ((on ? on : device)->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices, 3, indices, 3, 0),
                  D3D_OK);
        EXPECT_EQ(recorder->draws.size(), before + 1);
        return recorder->draws.back();
    }
    IDirect3DDevice7* FreshDevice() {
        IDirect3D7* direct3d = nullptr;
        directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d));
        IDirect3DDevice7* made = nullptr;
        EXPECT_EQ(direct3d->CreateDevice(IID_IDirect3DHALDevice, back, &made), D3D_OK);
        direct3d->Release();
        return made;
    }
    DrawRecorder* recorder = nullptr;
};

TEST_F(DeviceStateTest, EachChangeBetweenDrawsReachesTheNextDrawAndNothingElseMoves) {
    using velmora::platform::DrawState;
    D3DLIGHT7 red = Light(0, 0, 5, 1, 0, 0);
    ASSERT_EQ(device->SetLight(0, &red), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    D3DMATERIAL7 white = Colour(1, 1, 1);
    device->SetMaterial(&white);
    DrawState first = Drawn();
    ASSERT_EQ(first.lighting.lightCount, 1);
    EXPECT_EQ(first.lighting.lights[0].diffuse[0], 1.0f);
    // Nothing changed, nothing differs; setting a state to the value it has is no change either.
    EXPECT_TRUE(Drawn() == first);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    device->SetMaterial(&white);
    EXPECT_TRUE(Drawn() == first);

    D3DMATRIX world = Translated(1, 2, 3);
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    DrawState moved = Drawn();
    EXPECT_EQ(moved.transform.worldView[12], 1.0f);
    EXPECT_EQ(moved.transform.worldView[14], 3.0f);
    EXPECT_TRUE(moved.lighting == first.lighting);
    EXPECT_TRUE(moved.raster == first.raster);

    D3DMATERIAL7 green = Colour(0, 1, 0);
    device->SetMaterial(&green);
    EXPECT_EQ(Drawn().lighting.materialDiffuse[0], 0.0f);
    device->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x00FF0000);
    EXPECT_EQ(Drawn().lighting.ambient[0], 1.0f);

    // A light changed after it was enabled is drawn as it is now.
    D3DLIGHT7 blue = Light(0, 0, 5, 0, 0, 1);
    device->SetLight(0, &blue);
    DrawState relit = Drawn();
    EXPECT_EQ(relit.lighting.lights[0].diffuse[0], 0.0f);
    EXPECT_EQ(relit.lighting.lights[0].diffuse[2], 1.0f);
    // The lights are in camera space: a new view moves them.
    D3DMATRIX view = Translated(0, 0, 10);
    device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    DrawState viewed = Drawn();
    EXPECT_EQ(viewed.lighting.lights[0].position[2], 15.0f);
    EXPECT_EQ(viewed.transform.worldView[14], 13.0f);

    // A light set while off is drawn with those values once switched on;
    // switched off, the next one takes its place.
    D3DLIGHT7 dim = Light(7, 0, 0, 0.25f, 0.25f, 0.25f);
    device->SetLight(3, &dim);
    EXPECT_EQ(Drawn().lighting.lightCount, 1);
    device->LightEnable(3, TRUE);
    DrawState two = Drawn();
    ASSERT_EQ(two.lighting.lightCount, 2);
    EXPECT_EQ(two.lighting.lights[1].diffuse[1], 0.25f);
    EXPECT_EQ(two.lighting.lights[1].position[0], 7.0f);
    device->LightEnable(0, FALSE);
    DrawState one = Drawn();
    ASSERT_EQ(one.lighting.lightCount, 1);
    EXPECT_EQ(one.lighting.lights[0].position[0], 7.0f);

    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    EXPECT_EQ(Drawn().raster.cull, velmora::platform::CullMode::None);
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
    EXPECT_TRUE(Drawn().raster.flatShading);
    device->SetRenderState(D3DRENDERSTATE_TEXTUREFACTOR, 0x80FFFFFF);
    EXPECT_EQ(Drawn().stage.textureFactor, 0x80FFFFFFu);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    EXPECT_EQ(Drawn().stage.colorOp, velmora::platform::kStageSelectArg2);
    device->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    EXPECT_TRUE(Drawn().sampler.clampU);
    // Stages past the first are not drawn and change nothing.
    DrawState before = Drawn();
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    EXPECT_TRUE(Drawn() == before);
    D3DVIEWPORT7 viewport = {10, 20, 100, 50, 0.0f, 0.5f};
    device->SetViewport(&viewport);
    velmora::platform::Viewport drawnViewport = Drawn().viewport;
    EXPECT_EQ(drawnViewport.y, 20);
    EXPECT_EQ(drawnViewport.maxZ, 0.5f);

    // The w-buffer's planes come from the projection: a new one moves them.
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_USEW);
    D3DMATRIX projection{};
    auto planes = [&](float nearPlane, float farPlane) {
        projection._11 = projection._22 = 1.0f;
        projection._33 = farPlane / (farPlane - nearPlane);
        projection._34 = 1.0f;
        projection._43 = -nearPlane * farPlane / (farPlane - nearPlane);
        device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    };
    planes(1.0f, 100.0f);
    DrawState near1 = Drawn();
    EXPECT_TRUE(near1.raster.wBuffer);
    EXPECT_NEAR(near1.raster.wNear, 1.0f, 1e-4);
    planes(2.0f, 100.0f);
    EXPECT_NEAR(Drawn().raster.wNear, 2.0f, 1e-4);
}

TEST_F(DeviceStateTest, TexturesAreSentAgainWhenTheirPixelsChangeAndDropWhenUnbound) {
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    IDirectDrawSurface7* texture = MemorySurface(2, 2, formats[5]);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    velmora::platform::TextureHandle handle = Drawn().texture;
    EXPECT_NE(handle, 0u);
    int uploads = recorder->uploads;
    EXPECT_EQ(Drawn().texture, handle);
    EXPECT_EQ(recorder->uploads, uploads);  // unchanged pixels are not sent again
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    ASSERT_EQ(texture->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    *static_cast<uint32_t*>(locked.lpSurface) = 0xFF00FF00;
    texture->Unlock(nullptr);
    EXPECT_EQ(Drawn().texture, handle);
    EXPECT_EQ(recorder->uploads, uploads + 1);
    // Released by the program, the bound texture lives on until it is unbound.
    texture->Release();
    EXPECT_EQ(Drawn().texture, handle);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(Drawn().texture, 0u);
}

TEST_F(DeviceStateTest, ATextureSentToABackEndThatKeepsItGivesUpItsMemoryUntilItIsNeeded) {
    using velmora::platform::SurfaceMemoryBytes;
    recorder->keeps = true;
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    // 3 x 2 at 5-6-5, and the same with red and blue swapped, which goes up
    // as 32-bit words.
    DDPIXELFORMAT swapped = formats[3];
    std::swap(swapped.dwRBitMask, swapped.dwBBitMask);
    for (const DDPIXELFORMAT& format : {formats[3], swapped}) {
        SCOPED_TRACE(format.dwRBitMask);
        IDirectDrawSurface7* texture = MemorySurface(3, 2, format);
        const uint16_t words[2][3] = {{0xF800, 0x07E0, 0x001F}, {0x1234, 0xFFFF, 0x0000}};
        auto write = [&](uint16_t first) {
            DDSURFACEDESC2 locked{};
            locked.dwSize = kSurfaceDescSize;
            ASSERT_EQ(texture->Lock(nullptr, &locked, 0, nullptr), DD_OK);
            for (int y = 0; y < 2; ++y)
                std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch, words[y], 6);
            static_cast<uint16_t*>(locked.lpSurface)[0] = first;
            texture->Unlock(nullptr);
        };
        auto read = [&](int x, int y) {
            DDSURFACEDESC2 locked{};
            locked.dwSize = kSurfaceDescSize;
            EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr), DD_OK);
            uint16_t word = 0;
            std::memcpy(&word, static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + 2 * x, 2);
            texture->Unlock(nullptr);
            return word;
        };
        write(words[0][0]);
        EXPECT_GT(SurfaceMemoryBytes(texture), 0u);
        ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
        int uploads = recorder->uploads;
        Drawn();
        EXPECT_EQ(recorder->uploads, uploads + 1);
        EXPECT_EQ(SurfaceMemoryBytes(texture), 0u);
        // Read back when locked, given up again at the next draw without a new upload.
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(read(x, y), words[y][x]) << x << "," << y;
        EXPECT_GT(SurfaceMemoryBytes(texture), 0u);
        Drawn();
        EXPECT_EQ(recorder->uploads, uploads + 1);
        EXPECT_EQ(SurfaceMemoryBytes(texture), 0u);
        // A change goes up; the rest of the picture is kept.
        write(0x8000);
        Drawn();
        EXPECT_EQ(recorder->uploads, uploads + 2);
        EXPECT_EQ(read(0, 0), 0x8000);
        EXPECT_EQ(read(1, 1), 0xFFFF);
        // A blit from it, and one onto all of it, find its pixels.
        Drawn();
        IDirectDrawSurface7* copy = MemorySurface(3, 2, format);
        ASSERT_EQ(copy->Blt(nullptr, texture, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        ASSERT_EQ(texture->Blt(nullptr, copy, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_EQ(read(2, 0), 0x001F);
        EXPECT_EQ(read(0, 0), 0x8000);
        copy->Release();
        device->SetTexture(0, nullptr);
        texture->Release();
    }
    // A back end without copies of its own leaves the surface its memory.
    recorder->keeps = false;
    IDirectDrawSurface7* texture = MemorySurface(2, 2, formats[5]);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    Drawn();
    EXPECT_GT(SurfaceMemoryBytes(texture), 0u);
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceStateTest, TheBackEndIsToldTheRangeOfVerticesTheIndicesUse) {
    // Ten vertices, of which the triangles use 3 to 7 only.
    std::vector<float> vertices(10 * 8, 0.0f);
    WORD indices[6] = {5, 7, 6, 3, 4, 5};
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices.data(), 10, indices, 6, 0),
              D3D_OK);
    EXPECT_EQ(recorder->lastRange, std::make_pair(3, 7));
    WORD single[3] = {9, 9, 9};
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices.data(), 10, single, 3, 0),
              D3D_OK);
    EXPECT_EQ(recorder->lastRange, std::make_pair(9, 9));
    // An index past the vertices draws nothing.
    size_t draws = recorder->draws.size();
    WORD beyond[3] = {0, 1, 10};
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0x112, vertices.data(), 10, beyond, 3, 0),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(recorder->draws.size(), draws);
}

TEST_F(DeviceStateTest, TexturesAreUploadedInTheirOwnFormatSixteenBitsIncluded) {
    using velmora::platform::TexelLayout;
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    // In the order the device lists them: X1R5G5B5, A1R5G5B5, A4R4G4B4,
    // R5G6B5, X8R8G8B8, A8R8G8B8.
    const TexelLayout expected[] = {TexelLayout::Xrgb1555, TexelLayout::Argb1555, TexelLayout::Argb4444,
                                    TexelLayout::Rgb565, TexelLayout::Xrgb8888, TexelLayout::Argb8888};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        // Three texels wide, so that 16-bit rows carry padding.
        IDirectDrawSurface7* texture = MemorySurface(3, 2, formats[i]);
        DDSURFACEDESC2 described{};
        described.dwSize = kSurfaceDescSize;
        ASSERT_EQ(texture->GetSurfaceDesc(&described), DD_OK);
        int pitch = described.lPitch;
        ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
        int uploads = recorder->uploads;
        Drawn();
        EXPECT_EQ(recorder->uploads, uploads + 1);
        EXPECT_EQ(recorder->lastLayout, expected[i]);
        EXPECT_EQ(recorder->lastPitch, pitch);
        device->SetTexture(0, nullptr);
        texture->Release();
    }
    // A 16-bit layout with blue on top has no texture format of its own: it
    // goes up converted to 32-bit words.
    DDPIXELFORMAT bgr = formats[3];
    std::swap(bgr.dwRBitMask, bgr.dwBBitMask);
    IDirectDrawSurface7* texture = MemorySurface(1, 1, bgr);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    Drawn();
    EXPECT_EQ(recorder->lastLayout, TexelLayout::Argb8888);
    EXPECT_EQ(recorder->lastPitch, 4);
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceStateTest, WhatIsDrawnEqualsWhatAFreshDeviceGivenTheSameCallsDraws) {
    // Random calls with draws among them; at each draw a new device replays
    // every call so far and must hand the back end the very same record.
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    IDirectDrawSurface7* textures[2] = {MemorySurface(2, 2, formats[5]), MemorySurface(4, 4, formats[4])};
    std::mt19937 random(20240611u);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    auto matrix = [&] {
        D3DMATRIX m = velmora::platform::ddraw::IdentityMatrix();
        float* f = &m._11;
        for (int k = 0; k < 12; ++k) f[k] = uniform(-2, 2);
        m._41 = uniform(-5, 5);
        m._43 = uniform(1, 20);
        return m;
    };
    const D3DRENDERSTATETYPE states[] = {D3DRENDERSTATE_CULLMODE,        D3DRENDERSTATE_SHADEMODE,
                                         D3DRENDERSTATE_ALPHABLENDENABLE, D3DRENDERSTATE_SRCBLEND,
                                         D3DRENDERSTATE_DESTBLEND,        D3DRENDERSTATE_ZENABLE,
                                         D3DRENDERSTATE_ZWRITEENABLE,     D3DRENDERSTATE_ZFUNC,
                                         D3DRENDERSTATE_LIGHTING,         D3DRENDERSTATE_AMBIENT,
                                         D3DRENDERSTATE_COLORVERTEX,      D3DRENDERSTATE_TEXTUREFACTOR,
                                         D3DRENDERSTATE_DITHERENABLE};
    using Call = std::function<void(IDirect3DDevice7*)>;
    std::vector<Call> calls;
    int compared = 0;
    for (int step = 0; step < 400; ++step) {
        Call call;
        switch (pick(9)) {
            case 0: {
                D3DTRANSFORMSTATETYPE which = pick(3) == 0   ? D3DTRANSFORMSTATE_WORLD
                                              : pick(2) == 0 ? D3DTRANSFORMSTATE_VIEW
                                                             : D3DTRANSFORMSTATE_PROJECTION;
                D3DMATRIX m = matrix();
                call = [which, m](IDirect3DDevice7* d) { D3DMATRIX copy = m; d->SetTransform(which, &copy); };
                break;
            }
            case 1: {
                D3DMATERIAL7 m = Colour(uniform(0, 1), uniform(0, 1), uniform(0, 1));
                call = [m](IDirect3DDevice7* d) { D3DMATERIAL7 copy = m; d->SetMaterial(&copy); };
                break;
            }
            case 2: {
                DWORD index = static_cast<DWORD>(pick(12));
                D3DLIGHT7 l = Light(uniform(-5, 5), uniform(-5, 5), uniform(-5, 5), uniform(0, 1), uniform(0, 1),
                                    uniform(0, 1));
                l.dltType = static_cast<D3DLIGHTTYPE>(1 + pick(3));
                l.dvDirection.z = 1.0f;
                l.dvTheta = 0.5f;
                l.dvPhi = 1.0f;
                call = [index, l](IDirect3DDevice7* d) { D3DLIGHT7 copy = l; d->SetLight(index, &copy); };
                break;
            }
            case 3: {
                DWORD index = static_cast<DWORD>(pick(12));
                BOOL on = pick(3) != 0;
                call = [index, on](IDirect3DDevice7* d) { d->LightEnable(index, on); };
                break;
            }
            case 4: {
                D3DRENDERSTATETYPE state = states[pick(static_cast<int>(std::size(states)))];
                DWORD value = state == D3DRENDERSTATE_AMBIENT || state == D3DRENDERSTATE_TEXTUREFACTOR
                                  ? static_cast<DWORD>(random())
                                  : static_cast<DWORD>(pick(4));
                call = [state, value](IDirect3DDevice7* d) { d->SetRenderState(state, value); };
                break;
            }
            case 5: {
                DWORD stage = static_cast<DWORD>(pick(2));
                D3DTEXTURESTAGESTATETYPE state =
                    static_cast<D3DTEXTURESTAGESTATETYPE>(1 + pick(static_cast<int>(D3DTSS_MIPFILTER)));
                DWORD value = static_cast<DWORD>(1 + pick(4));
                call = [stage, state, value](IDirect3DDevice7* d) { d->SetTextureStageState(stage, state, value); };
                break;
            }
            case 6: {
                D3DVIEWPORT7 v = {static_cast<DWORD>(pick(100)), static_cast<DWORD>(pick(100)), 200, 100,
                                  uniform(0, 0.4f), uniform(0.5f, 1)};
                call = [v](IDirect3DDevice7* d) { D3DVIEWPORT7 copy = v; d->SetViewport(&copy); };
                break;
            }
            case 7: {
                int which = pick(3);
                IDirectDrawSurface7* t = which < 2 ? textures[which] : nullptr;
                call = [t](IDirect3DDevice7* d) { d->SetTexture(0, t); };
                break;
            }
            default: {
                IDirect3DDevice7* fresh = FreshDevice();
                for (const Call& earlier : calls) earlier(fresh);
                velmora::platform::DrawState expected = Drawn(fresh);
                fresh->Release();
                ASSERT_TRUE(Drawn() == expected) << "draw after call " << step;
                ++compared;
                continue;
            }
        }
        call(device);
        calls.push_back(call);
    }
    EXPECT_GT(compared, 20);
    for (IDirectDrawSurface7* t : textures) t->Release();
}

TEST_F(DeviceStateTest, LightsPastTheLimitAreNotDroppedSilently) {
    D3DDEVICEDESC7 caps{};
    ASSERT_EQ(device->GetCaps(&caps), D3D_OK);
    const int limit = static_cast<int>(caps.dwMaxActiveLights);
    ASSERT_EQ(limit, velmora::platform::kMaxActiveLights);
    ASSERT_GE(limit, 32);
    for (int i = 0; i < limit; ++i) {
        D3DLIGHT7 light = Light(static_cast<float>(i), 0, 0, 1, 1, 1);
        device->SetLight(static_cast<DWORD>(i), &light);
        device->LightEnable(static_cast<DWORD>(i), TRUE);
    }
    ::testing::internal::CaptureStderr();
    velmora::platform::DrawState all = Drawn();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(all.lighting.lightCount, limit);
    EXPECT_EQ(all.lighting.lights[limit - 1].position[0], static_cast<float>(limit - 1));

    // Two more, the first of them at a lower index than all of the others.
    D3DLIGHT7 extra = Light(-1, 0, 0, 1, 1, 1);
    device->SetLight(100, &extra);
    device->LightEnable(100, TRUE);
    device->SetLight(101, &extra);
    device->LightEnable(101, TRUE);
    ::testing::internal::CaptureStderr();
    velmora::platform::DrawState over = Drawn();
    D3DLIGHT7 moved = Light(-2, 0, 0, 1, 1, 1);
    device->SetLight(101, &moved);
    Drawn();
    std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(over.lighting.lightCount, limit);
    EXPECT_EQ(over.lighting.lights[limit - 1].position[0], static_cast<float>(limit - 1));
    EXPECT_NE(told.find(std::to_string(limit + 2) + " lights are enabled"), std::string::npos) << told;
    EXPECT_EQ(told.find('\n'), told.size() - 1) << "said once: " << told;
}

}  // namespace
