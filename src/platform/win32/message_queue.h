// The thread's message queue, shared by the window and message translators.
#pragma once

#include "platform/win32/windows.h"

namespace velmora::platform {

// Calls a window's procedure directly, as SendMessage would; 0 for unknown windows.
LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ResetMessageQueue();

}  // namespace velmora::platform
