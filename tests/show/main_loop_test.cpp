#include "show/main_loop.h"

#include <gtest/gtest.h>

#include "diag/log.h"
#include "platform/backend/frame_clock.h"
#include "show/timeline.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

using velmora::platform::WindowEventType;

namespace {

class MainLoopTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CreateRenderWindow();
    }
    // An action far in the future keeps the timeline from ending the show.
    void KeepShowRunning() { AddAction(&actionList, 1000000000, kActionPlayMusic, 0.0f); }
    // A 20-second hold at the show's start, on the virtual clock.
    void HoldAtStart() {
        velmora::platform::UseVirtualClock(velmora::platform::FrameRate{30, 1}, 0);
        showStartTime = timeGetTime();
        AddAction(&actionList, 0, kActionHold, 20000.0f);
        KeepShowRunning();
    }
    bool CloseIsQueued() {
        MSG msg;
        return PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) == TRUE;
    }
};

TEST_F(MainLoopTest, EmptyTimelineEndsAfterOneFrame) {
    EXPECT_EQ(MainLoop(), 1);
    EXPECT_EQ(frameCounter, 1);
    EXPECT_EQ(fpsFrameCount, 1);
    EXPECT_EQ(exitRequested, 1);
}

TEST_F(MainLoopTest, EscapeEndsTheLoopWithoutAnotherFrame) {
    KeepShowRunning();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    EXPECT_EQ(MainLoop(), 1);
    EXPECT_EQ(frameCounter, 0);
    EXPECT_EQ(exitRequested, 1);
    EXPECT_TRUE(CloseIsQueued());  // Escape posts WM_CLOSE, which is never reached
}

TEST_F(MainLoopTest, EscapeAfterFramesStopsAtTheTopOfTheNextPass) {
    KeepShowRunning();
    for (int i = 0; i < 3; ++i) windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_EQ(frameCounter, 3);
}

TEST_F(MainLoopTest, OtherKeysDoNotEndTheShow) {
    KeepShowRunning();
    // Each key is handled in a pass of its own, and a pause between lets a frame through.
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_SPACE);
    windowSystem->QueuePause();
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyUp, VK_ESCAPE);
    windowSystem->QueuePause();
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_EQ(frameCounter, 2);
}

TEST_F(MainLoopTest, CloseBoxIsRefused) {
    KeepShowRunning();
    windowSystem->QueueEvent(WindowEventType::CloseRequested);
    windowSystem->QueuePause();
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_EQ(frameCounter, 1);  // a frame was drawn after the close request
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // not destroyed
}

TEST_F(MainLoopTest, EscapeEndsAHoldAtOnce) {
    HoldAtStart();
    // The first frame performs the hold; the Escape arrives while it lasts.
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    EXPECT_EQ(MainLoop(), 1);
    EXPECT_EQ(exitRequested, 1);
    EXPECT_EQ(frameCounter, 1);
    // Not a millisecond of the hold was waited, and no frame followed it.
    EXPECT_LT(timeGetTime() - showStartTime, 100u);
    EXPECT_TRUE(CloseIsQueued());
}

TEST_F(MainLoopTest, AHoldWithoutEscapeLastsItsLength) {
    HoldAtStart();
    windowSystem->QueuePause();
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyUp, 'A');  // a key that does not end it
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_GE(timeGetTime() - showStartTime, 20000u);
}

TEST_F(MainLoopTest, QuitMessageDoesNotEndTheLoop) {
    KeepShowRunning();
    PostMessageA(window, WM_DESTROY, 0, 0);  // the window procedure answers with WM_QUIT
    windowSystem->QueuePause();
    windowSystem->QueuePause();
    windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_EQ(frameCounter, 1);
}

TEST_F(MainLoopTest, MessagesComeBeforeFrames) {
    KeepShowRunning();
    for (int i = 0; i < 5; ++i) PostMessageA(window, WM_PAINT, 0, 0);
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_EQ(frameCounter, 0);
}

TEST_F(MainLoopTest, CursorIsHiddenOverTheWindow) {
    KeepShowRunning();
    windowSystem->QueueEvent(WindowEventType::PointerOver);
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    EXPECT_TRUE(windowSystem->cursorVisible);
    MainLoop();
    EXPECT_FALSE(windowSystem->cursorVisible);
}

TEST_F(MainLoopTest, TheMouseNeitherEndsTheShowNorStopsItsFrames) {
    KeepShowRunning();
    // A drag over the window: four messages (the press, the cursor, the move,
    // the release) taken a pass each while the first four polls find
    // nothing new; each of the four polls after them lets a frame through.
    windowSystem->QueuePointer(WindowEventType::PointerDown, 10, 10);
    windowSystem->QueuePointer(WindowEventType::PointerOver, 50, 10);
    windowSystem->QueuePointer(WindowEventType::PointerUp, 50, 10);
    for (int i = 0; i < 8; ++i) windowSystem->QueuePause();
    windowSystem->QueueEvent(WindowEventType::KeyDown, VK_ESCAPE);
    MainLoop();
    EXPECT_EQ(frameCounter, 4);
    EXPECT_EQ(exitRequested, 1);
    EXPECT_FALSE(windowSystem->cursorVisible);  // the move hid the cursor, as before
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_LBUTTONUP, PM_NOREMOVE)) << "all were taken";
}

}  // namespace
