#include "app/window_proc.h"

#include <gtest/gtest.h>

#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace {

class WindowProcTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CreateRenderWindow();
    }
    bool Take(UINT message, MSG& msg) {
        return PeekMessageA(&msg, nullptr, message, message, PM_REMOVE) == TRUE;
    }
};

TEST_F(WindowProcTest, MessagesAndResults) {
    MSG msg;
    EXPECT_EQ(WindowProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(exitRequested, 0);
    EXPECT_FALSE(Take(WM_QUIT, msg));

    EXPECT_EQ(WindowProc(window, WM_SETCURSOR, 0, 0), 1);
    EXPECT_FALSE(windowSystem->cursorVisible);

    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(exitRequested, 0);

    EXPECT_EQ(WindowProc(window, WM_DESTROY, 0, 0), 0);
    ASSERT_TRUE(Take(WM_QUIT, msg));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.hwnd, nullptr);

    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_EQ(exitRequested, 1);
    ASSERT_TRUE(Take(WM_CLOSE, msg));
    EXPECT_EQ(msg.hwnd, window);
}

TEST_F(WindowProcTest, WindowIsCreatedAndPaintedThroughTheProcedure) {
    EXPECT_EQ(windowSystem->windowTitle, "Velmora Demo");
    EXPECT_EQ(windowSystem->windowWidth, 400);
    EXPECT_EQ(windowSystem->windowHeight, 300);
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_TRUE(windowSystem->windowVisible);
    EXPECT_TRUE(UpdateWindow(window));
    // The procedure validated the window, so no WM_PAINT is left waiting.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(WindowProcTest, UnknownClassesAndHandlesAreRefused) {
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    WNDCLASSA again{};
    again.lpfnWndProc = WindowProc;
    again.lpszClassName = "render window";  // class names ignore case
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_CLOSE, 0, 0));
    MSG quit{};
    quit.message = WM_QUIT;
    EXPECT_EQ(DispatchMessageA(&quit), 0);
}

}  // namespace
