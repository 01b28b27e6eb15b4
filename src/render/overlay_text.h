// Text drawn over the rendered frame.
#pragma once

#include "platform/win32/windows.h"

// Draws text at (x, y) of the current render target in the given colour.
HRESULT DrawOverlayText(const char* text, int x, int y, int red, int green, int blue);
