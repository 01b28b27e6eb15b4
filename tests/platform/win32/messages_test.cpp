// The pointer's events as the mouse messages Windows posts for them: the
// documented numbers, the position packed in lParam and the button in wParam.
#include <gtest/gtest.h>

#include <vector>

#include "platform/backend/frame_clock.h"
#include "platform/win32/window_table.h"
#include "support/engine_fixture.h"

using velmora::platform::WindowEventType;

namespace {

class PointerMessageTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CreateRenderWindow();
    }
    // Every message now waiting, in order.
    std::vector<MSG> TakeAll() {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) taken.push_back(msg);
        return taken;
    }
};

TEST_F(PointerMessageTest, TheDocumentedNumbers) {
    EXPECT_EQ(WM_MOUSEMOVE, 0x0200);
    EXPECT_EQ(WM_LBUTTONDOWN, 0x0201);
    EXPECT_EQ(WM_LBUTTONUP, 0x0202);
    EXPECT_EQ(MK_LBUTTON, 0x0001);
    // As the numbers are packed: x low, y high; signed when read back.
    EXPECT_EQ(MAKELPARAM(300, 200), 0x00C8012C);
    EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(-3, 70)), -3);
    EXPECT_EQ(GET_Y_LPARAM(MAKELPARAM(70, -3)), -3);
    EXPECT_EQ(LOWORD(MAKELPARAM(-3, 70)), 0xFFFD);
}

TEST_F(PointerMessageTest, APressDragAndReleaseAsWindowsPostsThem) {
    windowSystem->QueuePointer(WindowEventType::PointerOver, 12, 34);
    windowSystem->QueuePointer(WindowEventType::PointerDown, 300, 200);
    windowSystem->QueuePointer(WindowEventType::PointerOver, 310, 205);
    windowSystem->QueuePointer(WindowEventType::PointerUp, 320, 210);
    windowSystem->QueuePointer(WindowEventType::PointerOver, 330, 215);
    const std::vector<MSG> taken = TakeAll();
    ASSERT_EQ(taken.size(), 8u);
    struct Expected {
        UINT message;
        WPARAM wParam;
        int x, y;
    };
    // Moves set the cursor first, as before; only between the press and the
    // release do they say the button is held.
    const Expected expected[] = {{WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT, WM_MOUSEMOVE},
                                 {WM_MOUSEMOVE, 0, 12, 34},
                                 {WM_LBUTTONDOWN, MK_LBUTTON, 300, 200},
                                 {WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT, WM_MOUSEMOVE},
                                 {WM_MOUSEMOVE, MK_LBUTTON, 310, 205},
                                 {WM_LBUTTONUP, 0, 320, 210},
                                 {WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT, WM_MOUSEMOVE},
                                 {WM_MOUSEMOVE, 0, 330, 215}};
    for (size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i].hwnd, window) << i;
        EXPECT_EQ(taken[i].message, expected[i].message) << i;
        EXPECT_EQ(taken[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(LOWORD(taken[i].lParam), expected[i].x) << i;
        EXPECT_EQ(HIWORD(taken[i].lParam), expected[i].y) << i;
    }
}

TEST_F(PointerMessageTest, ADragOutsideTheWindowKeepsItsSign) {
    windowSystem->QueuePointer(WindowEventType::PointerDown, 5, 5);
    windowSystem->QueuePointer(WindowEventType::PointerOver, -20, 1000);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), -20);
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 1000);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MK_LBUTTON));
}

TEST_F(PointerMessageTest, AFreshWindowTableForgetsTheHeldButton) {
    windowSystem->QueuePointer(WindowEventType::PointerDown, 5, 5);
    TakeAll();
    velmora::platform::ResetWindowTable();
    CreateRenderWindow();
    windowSystem->QueuePointer(WindowEventType::PointerOver, 6, 6);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(PointerMessageTest, KeyFiltersAndWaitsPassThePointerBy) {
    // A hold waits for keys only: the pointer's messages neither end the
    // wait nor are taken by a key filter, and stay for the main loop.
    windowSystem->QueuePointer(WindowEventType::PointerDown, 5, 5);
    windowSystem->QueuePointer(WindowEventType::PointerUp, 5, 5);
    velmora::platform::UseVirtualClock(velmora::platform::FrameRate{30, 1}, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 500, QS_KEY), static_cast<DWORD>(WAIT_TIMEOUT));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(TakeAll().size(), 2u);
}

}  // namespace
