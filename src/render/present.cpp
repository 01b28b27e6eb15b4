// The frame present: one page flip of the primary surface.
#include "render/display.h"

HRESULT PresentFrame() {
    if (primarySurface) return primarySurface->Flip(nullptr, DDFLIP_WAIT);
    // Without a display the frame still waits for its refresh, as a flip
    // would, so that a show on the frame clock moves on rather than waiting
    // for ever.
    IDirectDraw7* directDraw = nullptr;
    if (SUCCEEDED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw),
                                     IID_IDirectDraw7, nullptr))) {
        directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        directDraw->Release();
    }
    return E_FAIL;
}
