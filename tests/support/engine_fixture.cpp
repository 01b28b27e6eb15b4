#include "support/engine_fixture.h"

#include <memory>

#include "app/window_proc.h"
#include "data/data_archive.h"
#include "diag/log.h"
#include "diag/memory_counters.h"
#include "platform/fmod/sound_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/window_table.h"
#include "render/display.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace velmora::testing {

void ResetEngineState() {
    screenWidth = 640;
    screenHeight = 480;
    commandLine[0] = sceneFileName[0] = musicFileName[0] = '\0';
    scriptFileName[0] = archiveFileName[0] = '\0';
    scenes = nullptr;
    sceneCount = 0;
    musicTracks = nullptr;
    musicTrackCount = 0;
    showStartTime = 0;
    frameCounter = 0;
    ClearActionList(&actionList);
    ClearActionList(&renderList);
    actionCursor = nullptr;
    timelineStarted = 0;
    fpsFrameCount = 0;
    fpsWindowStart = 0;
    exitRequested = 0;
    showStatistics = 0;
    logEnabled = 0;
    exeDirectory[0] = '\0';
    userLogDirectory[0] = '\0';
    textureMemoryCounter = textureAllocationCounter = animationMemoryCounter = 0;
    generalMemoryCounter = fileMemoryCounter = 0;
    d3dDevice = nullptr;
    localPath = 0;
}

void EngineTest::SetUp() {
    ResetEngineState();
    platform::ResetWindowTable();
    auto system = std::make_unique<platform::NullWindowSystem>();
    windowSystem = system.get();
    platform::InstallWindowSystem(std::move(system));
    platform::UseVirtualClock(platform::FrameRate{50, 1}, 1000);
    // No switch of the environment the tests run in reaches them.
    platform::PlatformSettings settings;
    settings.windowSystem = platform::WindowBackEnd::Null;
    settings.sound = platform::SoundBackEnd::Silent;
    platform::UsePlatformSettings(settings);
    platform::StopSoundOutput();  // the sound library as at the process start
}

void EngineTest::TearDown() {
    platform::StopSoundOutput();
    ResetEngineState();
    platform::ResetWindowTable();
    platform::InstallWindowSystem(nullptr);
    platform::UseRealClock();
    platform::ResetPlatformSettings();
}

void EngineTest::CreateRenderWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.lpszClassName = "Render Window";
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window = CreateWindowExA(0, "Render Window", "Velmora Demo", WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(window, nullptr);
}

}  // namespace velmora::testing
