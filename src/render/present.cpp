// The frame present: one page flip of the primary surface.
#include "render/display.h"

#include "platform/win32/clock_control.h"

HRESULT PresentFrame() {
    if (primarySurface) return primarySurface->Flip(nullptr, DDFLIP_WAIT);
    // Without a display the frame still counts, so that a show on the frame
    // clock moves on rather than waiting for ever.
    velmora::platform::FramePresented();
    return E_FAIL;
}
