// The start-up with a settings file, all of it real: WinMain enumerates the
// stand-in's devices, reads "QX_Engine.ini" from the current folder and, on
// autorun, sets up the stored device and mode without asking.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/ddraw/display_objects.h"
#include "platform/win32/module_control.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace {

class AutorunTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        showFolder = velmora::testing::MakeTempDirectory();
        ASSERT_EQ(getcwd(previous, sizeof previous), previous);
        ASSERT_EQ(chdir(showFolder.c_str()), 0);
        velmora::platform::UseModuleFileName(velmora::testing::MakeTempDirectory() + "/velmora");
        windowSystem->dialogResult = 1;  // should a dialog be shown, it is accepted
    }
    void TearDown() override {
        velmora::platform::ReleaseDisplayObjects();
        velmora::platform::UseModuleFileName("");
        ASSERT_EQ(chdir(previous), 0);
        EngineTest::TearDown();
    }
    void WriteSettings(const char* autorun, int device, int mode) {
        std::FILE* file = std::fopen("QX_Engine.ini", "wb");
        ASSERT_NE(file, nullptr);
        std::fprintf(file,
                     "*** Velmora INI file ***\r\n"
                     "*** If you alter this file it is on your own risk ***\r\n\r\n"
                     "[Autorun] %s\r\n[Local path] FALSE\r\n[Device nr] %d\r\n[Device mode nr] %d\r\n"
                     "[QX3 filename] \r\n[QXP filename] \r\n[Music filename] \r\n[QXD filename] \r\n\r\n",
                     autorun, device, mode);
        std::fclose(file);
    }
    int Run() {
        static char commandText[] = "";
        return WinMain(nullptr, nullptr, commandText, SW_SHOWNORMAL);
    }
    // The size and depth of the surface the device draws into.
    void RenderTargetMode(DWORD& width, DWORD& height, DWORD& bits) {
        width = height = bits = 0;
        ASSERT_NE(d3dDevice, nullptr);
        IDirectDrawSurface7* target = nullptr;
        ASSERT_EQ(d3dDevice->GetRenderTarget(&target), S_OK);
        DDSURFACEDESC2 description{};
        description.dwSize = sizeof description;
        ASSERT_EQ(target->GetSurfaceDesc(&description), DD_OK);
        target->Release();
        width = description.dwWidth;
        height = description.dwHeight;
        bits = description.ddpfPixelFormat.dwRGBBitCount;
    }

    std::string showFolder;
    char previous[1024];
};

// The stand-in's drivers give the HAL slot 3 and the T&L HAL slot 5, each with
// 640x480, 800x600, 1024x768 ... at 16 and then 32 bits.
TEST_F(AutorunTest, AStoredDeviceAndModeAreSetUpWithoutTheDialog) {
    WriteSettings("TRUE", 3, 4);  // the HAL at 1024 x 768 x 16
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(windowSystem->dialogsShown, 0);
    EXPECT_EQ(selectedDevice, 3);
    EXPECT_EQ(selectedMode, 4);
    DWORD width, height, bits;
    RenderTargetMode(width, height, bits);
    EXPECT_EQ(width, 1024u);
    EXPECT_EQ(height, 768u);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(windowSystem->displayWidth, 1024);
    EXPECT_EQ(windowSystem->displayHeight, 768);
    // Without the dialog the requested resolution stays the preset one.
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 480);
}

TEST_F(AutorunTest, ATwoDigitModeOfTheHiddenDeviceIsSetUpToo) {
    WriteSettings("TRUE", 5, 11);  // the T&L HAL at 1600 x 1200 x 32
    Run();
    EXPECT_EQ(windowSystem->dialogsShown, 0);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 11);
    DWORD width, height, bits;
    RenderTargetMode(width, height, bits);
    EXPECT_EQ(width, static_cast<DWORD>(displayDevices[5].modes[11].dwWidth));
    EXPECT_EQ(height, static_cast<DWORD>(displayDevices[5].modes[11].dwHeight));
    EXPECT_EQ(bits, 32u);
}

TEST_F(AutorunTest, WithoutAutorunTheDialogIsShownWithTheStoredChoice) {
    WriteSettings("FALSE", 3, 2);
    windowSystem->dialogUser = [](velmora::platform::DialogController& user) {
        EXPECT_EQ(user.View(kDeviceComboBox).selection, 0);  // the HAL, the one listed device
        EXPECT_EQ(user.View(kModeComboBox).selection, 2);
        user.Pressed(IDOK);
    };
    Run();
    EXPECT_EQ(windowSystem->dialogsShown, 1);
    DWORD width, height, bits;
    RenderTargetMode(width, height, bits);
    EXPECT_EQ(width, 800u);
    EXPECT_EQ(height, 600u);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(screenWidth, 800);
}

}  // namespace
