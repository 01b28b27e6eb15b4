// The stand-in's record of registered window classes and created windows,
// shared by the window and message translators.
#pragma once

#include <string>

#include "platform/win32/windows.h"

namespace velmora::platform {

struct WindowRecord {
    std::string className;
    std::string title;
    WNDPROC procedure = nullptr;
    HCURSOR classCursor = nullptr;
    bool paintPending = false;
    bool destroyed = false;
};

// The record behind a window handle; null for handles this stand-in never gave out.
WindowRecord* FindWindowRecord(HWND window);
// The one top-level window that receives the back end's events (null when none).
HWND MainWindow();
// Forgets every class and window; for tests that start over.
void ResetWindowTable();

}  // namespace velmora::platform
