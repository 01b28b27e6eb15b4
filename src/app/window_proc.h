// The window procedure of the class "Render Window".
#pragma once

#include "platform/win32/windows.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
