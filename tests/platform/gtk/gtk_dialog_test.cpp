// The configuration dialog shown on GTK under an X server: a screenshot of
// its client area shows the visible controls where the template puts them
// and nothing where the hidden ones lie; picking and pressing in the shown
// dialog reach the procedure. Skips when no display can be opened; ctest
// runs it under xvfb-run.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/config_dialog.h"
#include "app/engine_state.h"
#include "platform/gtk/gtk_dialog.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/win32/dialog_controls.h"
#include "render/display.h"
#include "support/engine_fixture.h"
#include "texture/texture_container.h"

namespace {

struct Shot {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    // Pixels of the rectangle (dialog units) that differ from the background.
    int Marked(int x, int y, int cx, int cy, uint32_t background) const {
        int count = 0;
        for (int py = y * 13 / 8; py < (y + cy) * 13 / 8 && py < height; ++py)
            for (int px = x * 6 / 4; px < (x + cx) * 6 / 4 && px < width; ++px) count += At(px, py) != background;
        return count;
    }
};

void Save(const Shot& shot, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(shot.width, shot.height, 24);
    for (int y = 0; y < shot.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, shot.height - 1 - y);
        for (int x = 0; x < shot.width; ++x) {
            uint32_t p = shot.At(x, y);
            line[x * 3 + FI_RGBA_RED] = BYTE(p >> 16);
            line[x * 3 + FI_RGBA_GREEN] = BYTE(p >> 8);
            line[x * 3 + FI_RGBA_BLUE] = BYTE(p);
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
}

class GtkDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!velmora::platform::gtk::StartGtk()) GTEST_SKIP() << "no display for GTK";
        velmora::testing::ResetEngineState();
        velmora::platform::ResetDialogControls();
        velmora::platform::InstallWindowSystem(
            std::make_unique<velmora::platform::SdlWindowSystem>(velmora::platform::VideoDriver::Display));
        SelectDisplayDevice(nullptr, 640, 480);
    }
    void TearDown() override {
        velmora::platform::gtk::WhenDialogShown(nullptr);
        velmora::platform::InstallWindowSystem(nullptr);
        lowTextures = 0;
    }
    INT_PTR Show() {
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kConfigDialogId), nullptr, ConfigDialogProc, 0);
    }
};

TEST_F(GtkDialogTest, ScreenshotShowsTheVisibleControlsOnly) {
    Shot shot;
    bool captured = false;
    velmora::platform::gtk::WhenDialogShown([&](velmora::platform::DialogController& user) {
        captured = velmora::platform::gtk::CaptureShownDialog(shot.pixels, shot.width, shot.height);
        user.Pressed(IDCANCEL);
    });
    EXPECT_EQ(Show(), 0);
    ASSERT_TRUE(captured);
    Save(shot, ::testing::TempDir() + "/config_dialog.png");
    EXPECT_EQ(shot.width, 329 * 6 / 4);
    EXPECT_EQ(shot.height, 207 * 13 / 8);
    // A corner of the client area that no control covers.
    uint32_t background = shot.At(shot.width - 3, 3);
    struct Area {
        const char* what;
        int x, y, cx, cy;
    };
    const Area visible[] = {{"OK", 7, 186, 50, 14},          {"Cancel", 272, 186, 50, 14},
                            {"device list", 69, 16, 133, 12}, {"mode list", 69, 32, 133, 12},
                            {"Harware device", 7, 16, 51, 8}, {"low textures", 69, 49, 104, 10},
                            {"Load time note", 207, 18, 61, 8}, {"Geforce note", 69, 64, 149, 8}};
    for (const Area& area : visible)
        EXPECT_GT(shot.Marked(area.x, area.y, area.cx, area.cy, background), 20) << area.what;
    const Area hidden[] = {{"Save settings", 7, 153, 58, 14},
                           {"Autorun", 69, 155, 41, 10},
                           {"Open QXD file", 7, 131, 58, 14},
                           {"Clear QX3 file", 210, 77, 55, 14},
                           {"scene name", 69, 80, 133, 10}};
    for (const Area& area : hidden)
        EXPECT_EQ(shot.Marked(area.x, area.y, area.cx, area.cy, background), 0) << area.what;
}

TEST_F(GtkDialogTest, PicksAndPressesInTheShownDialogReachTheProcedure) {
    selectedDevice = 3;
    selectedMode = 0;
    velmora::platform::gtk::WhenDialogShown([](velmora::platform::DialogController& user) {
        EXPECT_EQ(user.View(kModeComboBox).selection, 0);
        EXPECT_EQ(user.View(kModeComboBox).items.at(3), "800 x 600 x 32");
        user.Picked(kModeComboBox, 3);
        user.Toggled(kLowTexturesCheck, true);
        user.Pressed(IDOK);
    });
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(selectedMode, 3);
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 600);
    EXPECT_EQ(lowTextures, 1);
}

}  // namespace
