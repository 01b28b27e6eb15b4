// What the OpenGL checks share: the display opened on llvmpipe through SDL's
// offscreen driver, frames read back from the back buffer, and comparison of
// frames with golden images at a per-channel tolerance.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/display_start.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/window_table.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace velmora::testing {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

int Channel(uint32_t pixel, int shift);
bool LoadPng(const std::string& path, Image& image);
bool SavePng(const std::string& path, const Image& image);

// Every channel within the tolerance, apart from a few pixels on edges where
// rasterisers may round a sample the other way. VELMORA_UPDATE_GOLDENS=1
// stores the image instead.
void ExpectLike(const Image& actual, const std::string& golden, int tolerance = 6,
                double strayShare = 0.002);
// The pixel's channels against colours in 0 ... 1.
void ExpectColour(uint32_t pixel, float r, float g, float b, int tolerance = 2);

class GlRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        velmora::testing::ResetEngineState();
        velmora::platform::ResetWindowTable();
        velmora::platform::InstallWindowSystem(std::make_unique<velmora::platform::SdlWindowSystem>(
            velmora::platform::CurrentPlatformSettings().videoDriver));
        velmora::platform::UseVirtualClock(velmora::platform::FrameRate{30, 1}, 0);
        std::string why;
        ASSERT_TRUE(StartDisplayAt(kWidth, kHeight, "Velmora Demo", why)) << why;
        ASSERT_STREQ(velmora::platform::DisplayBackEndName(), "OpenGL")
            << "these checks need OpenGL (Mesa's llvmpipe will do)";
    }
    void TearDown() override {
        velmora::platform::ReleaseDisplayObjects();
        ForgetDisplay();
        velmora::platform::ResetWindowTable();
        velmora::platform::InstallWindowSystem(nullptr);
        velmora::platform::UseRealClock();
        velmora::platform::ResetPlatformSettings();
    }

    // One frame as the main loop draws it, read back from the back buffer.
    Image Draw(Scene* scene) {
        d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        EnableSceneLights(scene, d3dDevice);
        EXPECT_EQ(RenderScene(scene), S_OK);
        DisableSceneLights(scene, d3dDevice);
        return ReadBack();
    }
    Image ReadBack() {
        Image image;
        image.width = kWidth;
        image.height = kHeight;
        image.pixels.resize(static_cast<size_t>(kWidth) * kHeight);
        DDSURFACEDESC2 locked{};
        locked.dwSize = kSurfaceDescSize;
        EXPECT_EQ(backBuffer->Lock(nullptr, &locked, DDLOCK_READONLY | DDLOCK_WAIT, nullptr), DD_OK);
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(&image.pixels[static_cast<size_t>(y) * kWidth],
                        static_cast<uint8_t*>(locked.lpSurface) + static_cast<size_t>(y) * locked.lPitch,
                        kWidth * 4);
        backBuffer->Unlock(nullptr);
        return image;
    }
};

// A 2 x 2 texture surface of one colour on the display, 32 bits with alpha or
// without; null when the display makes none.
IDirectDrawSurface7* OneColourTexture(uint32_t argb, bool withAlpha);

}  // namespace velmora::testing
