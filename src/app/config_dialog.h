// The configuration dialog, resource 101: device, resolution, low-detail textures.
#pragma once

#include "platform/win32/windows.h"

constexpr int kConfigDialogId = 101;

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
