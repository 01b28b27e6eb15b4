// What a device context taken with IDirectDrawSurface7::GetDC stands for: the
// surface's pixels, for the text drawing of the Win32 stand-in.
#pragma once

#include "platform/ddraw/ddraw.h"

namespace velmora::platform {

struct SurfacePixels {
    void* bits = nullptr;  // top row first
    LONG pitch = 0;        // bytes from one row to the next
    DWORD width = 0;
    DWORD height = 0;
    DDPIXELFORMAT format{};
};

// The pixels behind dc while it is out (between GetDC and ReleaseDC); what is
// written there reaches the surface at ReleaseDC. False for any other handle.
bool PixelsOfSurfaceDC(HDC dc, SurfacePixels& pixels);

}  // namespace velmora::platform
