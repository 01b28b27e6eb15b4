#include "app/window_proc.h"

#include "state/engine_state.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT:
            ValidateRect(window, nullptr);
            break;
        case WM_CLOSE:
            return 0;  // the close box and Alt+F4 are refused: only Escape ends a run
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return 1;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                PostMessageA(window, WM_CLOSE, 0, 0);
                exitRequested = 1;
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
