#include "render/overlay_text.h"

#include <cstring>

#include "render/display.h"

HRESULT DrawOverlayText(const char* text, int x, int y, int red, int green, int blue) {
    if (!d3dDevice) return E_FAIL;  // no display set up: nothing to draw on
    if (!text) text = "";
    IDirectDrawSurface7* target = nullptr;
    HRESULT result = d3dDevice->GetRenderTarget(&target);
    if (FAILED(result)) return result;
    if (!target) return E_FAIL;
    HDC dc = nullptr;
    result = target->GetDC(&dc);
    if (SUCCEEDED(result)) {
        SetTextColor(dc, RGB(red, green, blue));
        SetBkMode(dc, TRANSPARENT);
        ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
        target->ReleaseDC(dc);
    }
    // The reference GetRenderTarget gave goes back whether or not text was drawn.
    target->Release();
    return result;
}
