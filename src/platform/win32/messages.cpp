// The message queue (user32): back-end events become window messages here.
#include <deque>

#include "platform/backend/window_system.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/window_table.h"
#include "platform/win32/windows.h"

namespace velmora::platform {

namespace {

std::deque<MSG>& Queue() {
    static std::deque<MSG> queue;
    return queue;
}

// Whether the left button is held, for the mouse messages' wParam: between
// the back end's PointerDown and its PointerUp.
bool& LeftButtonHeld() {
    static bool held = false;
    return held;
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    Queue().push_back(msg);
}

// Moves the window system's pending events into the queue as the messages
// Windows would have posted for them.
void PumpWindowEvents() {
    HWND window = MainWindow();
    WindowEvent event;
    while (CurrentWindowSystem().PollEvent(event)) {
        if (event.type == WindowEventType::PointerDown) LeftButtonHeld() = true;
        if (event.type == WindowEventType::PointerUp) LeftButtonHeld() = false;
        if (!window) continue;
        const LPARAM at = MAKELPARAM(event.x, event.y);
        const WPARAM buttons = LeftButtonHeld() ? MK_LBUTTON : 0;
        switch (event.type) {
            case WindowEventType::CloseRequested:
                Post(window, WM_CLOSE, 0, 0);
                break;
            case WindowEventType::KeyDown:
                Post(window, WM_KEYDOWN, static_cast<WPARAM>(event.key), 1);
                break;
            case WindowEventType::KeyUp:
                Post(window, WM_KEYUP, static_cast<WPARAM>(event.key), 1);
                break;
            case WindowEventType::PointerOver:
                Post(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                Post(window, WM_MOUSEMOVE, buttons, at);
                break;
            case WindowEventType::PointerDown:
                Post(window, WM_LBUTTONDOWN, buttons, at);
                break;
            case WindowEventType::PointerUp:
                Post(window, WM_LBUTTONUP, buttons, at);
                break;
            case WindowEventType::Exposed:
                if (WindowRecord* record = FindWindowRecord(window)) {
                    if (!record->paintPending) Post(window, WM_PAINT, 0, 0);
                    record->paintPending = true;
                }
                break;
        }
    }
}

bool KeyMessageQueued() {
    for (const MSG& msg : Queue())
        if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) return true;
    return false;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !record->procedure) return 0;
    return record->procedure(window, message, wParam, lParam);
}

void ResetMessageQueue() {
    Queue().clear();
    LeftButtonHeld() = false;
}

}  // namespace velmora::platform

using namespace velmora::platform;

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeFlags) {
    if (!msg) return FALSE;
    PumpWindowEvents();
    std::deque<MSG>& queue = Queue();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *msg = *it;
        if (removeFlags & PM_REMOVE) queue.erase(it);
        return TRUE;
    }
    return FALSE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds,
                                       DWORD wakeMask) {
    const bool keys = (wakeMask & QS_KEY) != 0;
    PumpWindowEvents();
    if (keys && KeyMessageQueued()) return WAIT_OBJECT_0 + count;
    // On the virtual clock no input can come while time stands still for
    // everyone else: the whole wait passes at once.
    if (VirtualClockInUse()) {
        Sleep(milliseconds);
        return WAIT_TIMEOUT;
    }
    // The real clock: look at the window system's events every few milliseconds.
    constexpr DWORD kSlice = 10;
    const DWORD start = timeGetTime();
    for (;;) {
        const DWORD waited = timeGetTime() - start;
        if (waited >= milliseconds) return WAIT_TIMEOUT;
        Sleep(milliseconds - waited < kSlice ? milliseconds - waited : kSlice);
        PumpWindowEvents();
        if (keys && KeyMessageQueued()) return WAIT_OBJECT_0 + count;
    }
}

// Character messages are never used by the program, so none are generated.
BOOL WINAPI TranslateMessage(const MSG* msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;  // thread messages such as WM_QUIT go nowhere
    return CallWindowProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !FindWindowRecord(window)) return FALSE;
    Post(window, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    Post(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}
