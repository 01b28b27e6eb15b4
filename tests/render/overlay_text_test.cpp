// Text over the frame: DrawOverlayText gives back the render target it takes,
// on every path, and the statistics' nine lines land one every 15 pixels from
// the top-left corner, in yellow, in their order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "diag/memory_counters.h"
#include "platform/backend/text_rasterizer.h"
#include "platform/ddraw/display_objects.h"
#include "render/display.h"
#include "render/overlay_text.h"
#include "show/statistics.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "support/recording_device.h"

namespace {

// Keeps every text asked for and covers, for the n-th text (from 0), the
// first n + 1 pixels of the text's top row, so that where a line went can be
// read from the surface and told from the others. One more pixel of the cell
// is left uncovered: a transparent background leaves it as it was.
class MarkingText : public velmora::platform::TextRasterizer {
public:
    explicit MarkingText(std::vector<std::string>* texts) : texts_(texts) {}
    bool Rasterize(const std::string& text, velmora::platform::TextCoverage& coverage) override {
        texts_->push_back(text);
        coverage.width = static_cast<int>(texts_->size()) + 1;
        coverage.height = 1;
        coverage.alpha.assign(static_cast<size_t>(coverage.width), 255);
        coverage.alpha.back() = 0;
        return true;
    }

private:
    std::vector<std::string>* texts_;
};

class OverlayTextTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        velmora::platform::InstallTextRasterizer(std::make_unique<MarkingText>(&drawn));
        SelectDisplayDevice(nullptr, 640, 480);  // the T&L HAL at 640 x 480 x 32
        CreateRenderWindow();
        ASSERT_EQ(CreateDisplay(window), S_OK);
        ASSERT_EQ(d3dDevice->GetRenderTarget(&target), S_OK);
    }
    void TearDown() override {
        if (target) target->Release();
        velmora::platform::InstallTextRasterizer(nullptr);
        velmora::platform::ReleaseDisplayObjects();
        EngineTest::TearDown();
    }
    // The references held on the render target now.
    DWORD References() {
        DWORD count = target->AddRef();
        target->Release();
        return count - 1;
    }
    // The render target's pixels as 0x00RRGGBB, top row first.
    std::vector<uint32_t> Pixels() {
        DDSURFACEDESC2 description{};
        description.dwSize = sizeof description;
        std::vector<uint32_t> pixels;
        if (target->Lock(nullptr, &description, DDLOCK_READONLY, nullptr) != DD_OK) return pixels;
        for (DWORD y = 0; y < description.dwHeight; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(description.lpSurface) +
                                                                static_cast<size_t>(y) * description.lPitch);
            for (DWORD x = 0; x < description.dwWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
        }
        target->Unlock(nullptr);
        return pixels;
    }
    // How many pixels of row y, from x = 0 on, are of colour; and all of the row.
    static int Run(const std::vector<uint32_t>& pixels, int y, uint32_t colour, int& marked) {
        int run = 0;
        while (run < 640 && pixels[static_cast<size_t>(y) * 640 + run] == colour) ++run;
        marked = 0;
        for (int x = 0; x < 640; ++x) marked += pixels[static_cast<size_t>(y) * 640 + x] != 0;
        return run;
    }

    std::vector<std::string> drawn;
    IDirectDrawSurface7* target = nullptr;
};

TEST_F(OverlayTextTest, TheRenderTargetGoesBackAfterEveryText) {
    DWORD before = References();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(DrawOverlayText("text", 0, 0, 255, 255, 0), S_OK);
    EXPECT_EQ(DrawOverlayText("", 0, 0, 255, 255, 0), S_OK);
    EXPECT_EQ(References(), before);
    EXPECT_EQ(drawn, (std::vector<std::string>(5, "text")));
}

TEST_F(OverlayTextTest, WhenTheContextCannotBeTakenTheRenderTargetStillGoesBack) {
    DWORD before = References();
    // The render target locked: its device context cannot be taken.
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    ASSERT_EQ(target->Lock(nullptr, &description, 0, nullptr), DD_OK);
    EXPECT_NE(DrawOverlayText("locked", 0, 0, 255, 255, 0), S_OK);
    ASSERT_EQ(target->Unlock(nullptr), DD_OK);
    // Its device context already out.
    HDC dc = nullptr;
    ASSERT_EQ(target->GetDC(&dc), DD_OK);
    EXPECT_NE(DrawOverlayText("taken", 0, 0, 255, 255, 0), S_OK);
    ASSERT_EQ(target->ReleaseDC(dc), DD_OK);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(References(), before);
    // And the context is free again for the next text.
    EXPECT_EQ(DrawOverlayText("after", 0, 0, 255, 255, 0), S_OK);
    EXPECT_EQ(drawn, std::vector<std::string>{"after"});
}

TEST_F(OverlayTextTest, WhenTheRenderTargetCannotBeHadItsCodeIsReturnedAndNothingDrawn) {
    velmora::testing::RecordingDevice failing;
    const HRESULT surfaceLost = static_cast<HRESULT>(0x887601C2);  // DDERR_SURFACELOST
    failing.result = surfaceLost;
    IDirect3DDevice7* real = d3dDevice;
    d3dDevice = &failing;
    HRESULT result = DrawOverlayText("lost", 0, 0, 255, 255, 0);
    failing.result = DDERR_INVALIDPARAMS;
    HRESULT second = DrawOverlayText("lost", 0, 0, 255, 255, 0);
    d3dDevice = real;
    EXPECT_EQ(result, surfaceLost);
    EXPECT_EQ(second, DDERR_INVALIDPARAMS);
    EXPECT_EQ(failing.calls, (std::vector<std::string>{"GetRenderTarget", "GetRenderTarget"}));
    EXPECT_TRUE(drawn.empty());
}

TEST_F(OverlayTextTest, TextLandsAtItsPlaceInItsColour) {
    EXPECT_EQ(DrawOverlayText("one", 10, 20, 0x12, 0x34, 0x56), S_OK);
    std::vector<uint32_t> pixels = Pixels();
    ASSERT_EQ(pixels.size(), 640u * 480u);
    EXPECT_EQ(pixels[20 * 640 + 10], 0x123456u);  // red in the low byte of the colour given to GDI
    EXPECT_EQ(pixels[20 * 640 + 9], 0u);
    EXPECT_EQ(pixels[19 * 640 + 10], 0u);
    EXPECT_EQ(pixels[20 * 640 + 11], 0u);  // the first text covers one pixel, the next is clear
}

TEST_F(OverlayTextTest, TheNineStatisticsLinesGoOneEvery15PixelsFromTheTopLeft) {
    showStatistics = 1;
    // Counters of distinct decimal places, so that the total shows which were summed.
    textureMemoryCounter = 1;
    animationMemoryCounter = 20;
    generalMemoryCounter = 300;
    fileMemoryCounter = 4000;
    textureAllocationCounter = 50000;
    DrawStatistics(0, timeGetTime());
    const std::vector<std::string> lines = {
        "Driver: Direct3D T&L HAL",
        "Width x Height x BPP: 640x480x32",
        "FPS: 0.000000",
        "Minimum of texture memory malloced: 1",
        "Minimum of animatie memory malloced: 20",
        "Minimum of general memory malloced: 300",
        "Minimum of file memory malloced: 4000",
        "Minimum of total memory malloced: 4321",
        "Texture malloced counted: 50000",
    };
    EXPECT_EQ(drawn, lines);

    std::vector<uint32_t> pixels = Pixels();
    ASSERT_EQ(pixels.size(), 640u * 480u);
    for (int y = 0; y < 150; ++y) {
        int marked = 0;
        int run = Run(pixels, y, 0xFFFF00, marked);
        if (y % 15 == 0 && y / 15 < 9) {
            // Line n (from 0) at y = 15 n, from x = 0, is n + 1 pixels of yellow.
            EXPECT_EQ(run, y / 15 + 1) << "line " << y / 15 << " \"" << lines[y / 15] << "\" at y " << y;
            EXPECT_EQ(marked, run) << "y " << y;
        } else {
            EXPECT_EQ(marked, 0) << "y " << y;
        }
    }
}

}  // namespace
