// The start-up order and the run sequence, with every other subsystem faked.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/startup_fakes.h"
#include "diag/log.h"
#include "platform/null/null_window_system.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/window_table.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "support/temp_files.h"

using velmora::platform::NullWindowSystem;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        startup = StartupRecord{};
        exitRequested = 0;
        velmora::platform::ResetWindowTable();
        auto system = std::make_unique<NullWindowSystem>();
        windowSystem = system.get();
        velmora::platform::InstallWindowSystem(std::move(system));
        velmora::platform::UseVirtualClock(velmora::platform::FrameRate{50, 1}, 7000);
    }
    void TearDown() override {
        velmora::platform::InstallWindowSystem(nullptr);
        velmora::platform::ResetWindowTable();
        velmora::platform::UseRealClock();
        logEnabled = 0;
        exeDirectory[0] = '\0';
    }
    int Run(const char* command = "") {
        static char text[256];
        std::snprintf(text, sizeof text, "%s", command);
        return WinMain(nullptr, nullptr, text, SW_SHOWNORMAL);
    }
    NullWindowSystem* windowSystem = nullptr;
};

const std::vector<std::string> kRunSequence = {
    "LoadDataArchive MORVAST.QXD", "ReadPlayScript MORVAST.QXP", "MainLoop frame 0 started 0",
    "StopMusic 0", "StopMusic 1", "FreeScene 0", "FreeScene 1", "FreeScene 2"};

std::vector<std::string> Join(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(StartupTest, WithoutSettingsTheDialogIsAskedAndAcceptedRunsTheShow) {
    windowSystem->dialogResult = 1;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(windowSystem->dialogsShown, 1);
    EXPECT_EQ(windowSystem->lastDialogTemplate, 101);
    EXPECT_EQ(startup.calls,
              Join({"SelectDisplayDevice 640x480 command line \"\"", "LoadSettings",
                    "CreateDisplay", "InitRenderStates"},
                   kRunSequence));
    EXPECT_EQ(windowSystem->windowTitle, "Velmora Demo");
    EXPECT_EQ(windowSystem->windowWidth, 400);
    EXPECT_EQ(windowSystem->windowHeight, 300);
    EXPECT_TRUE(windowSystem->windowVisible);
    EXPECT_EQ(scenes, nullptr);  // the scene array is released
}

TEST_F(StartupTest, CancelledDialogSkipsTheDisplayAndTheShow) {
    windowSystem->dialogResult = 0;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(startup.calls, (std::vector<std::string>{
                                 "SelectDisplayDevice 640x480 command line \"\"", "LoadSettings"}));
}

TEST_F(StartupTest, DialogThatCannotBeShownCountsAsAccepted) {
    windowSystem->dialogResult = -1;
    Run();
    EXPECT_EQ(startup.calls.size(), 4 + kRunSequence.size());
}

TEST_F(StartupTest, AutorunSkipsTheDialogAndKeeps640x480) {
    startup.settingsAutorun = 1;
    screenWidth = 1024;
    screenHeight = 768;
    Run("first_device");
    EXPECT_EQ(windowSystem->dialogsShown, 0);
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 480);
    EXPECT_EQ(startup.calls,
              Join({"SelectDisplayDevice 640x480 command line \"first_device\"", "LoadSettings",
                    "CreateDisplay", "InitRenderStates"},
                   kRunSequence));
    EXPECT_STREQ(archiveFileName, "MORVAST.QXD");
    EXPECT_STREQ(scriptFileName, "MORVAST.QXP");
}

TEST_F(StartupTest, CommandLineIsCutTo99Characters) {
    startup.settingsAutorun = 1;
    std::string longCommand(150, 'c');
    Run(longCommand.c_str());
    EXPECT_EQ(std::string(commandLine), std::string(99, 'c'));
}

TEST_F(StartupTest, RunEndsWithAOneSecondPauseAndTheClosingStatistics) {
    std::string directory = velmora::testing::MakeTempDirectory() + "/";
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
    logEnabled = 1;
    startup.settingsAutorun = 1;
    startup.framesToPlay = 3000;
    std::snprintf(displayDevices[3].name, sizeof displayDevices[3].name, "No Such Card");
    displayDevices[3].modes[2].dwWidth = 800;
    displayDevices[3].modes[2].dwHeight = 600;
    displayDevices[3].modes[2].ddpfPixelFormat.dwRGBBitCount = 16;
    selectedDevice = 3;
    selectedMode = 2;
    Run();
    EXPECT_EQ(showStartTime, 7000u);
    EXPECT_EQ(velmora::testing::ReadFile(directory + "Log.TXT"),
              "Minimum of texture memory malloced: 0\r\n"
              "Minimum of animatie memory malloced: 0\r\n"
              "Minimum of general memory malloced: 0\r\n"
              "Minimum of file memory malloced: 0\r\n"
              "Minimum of total memory malloced: 0\r\n"
              "Texture malloced counted: 0\r\n"
              "\r\n"
              "FPS:\t\t3000.000000\r\n"
              "Time(sec):\t1.000000\r\n"
              "\r\n"
              "Driver:\t\t\tNo Such Card\r\n"
              "Width x Height x BPP:\t800x600x16\r\n"
              "\r\n");
}

}  // namespace
