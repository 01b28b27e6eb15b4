#include "render/display.h"

IDirect3DDevice7* d3dDevice = nullptr;
IDirectDrawSurface7* primarySurface = nullptr;

// The DirectDraw stand-in is not built yet: no device is found or created.
int SelectDisplayDevice(HWND, int, int) { return 0; }

HRESULT CreateDisplay(HWND) { return E_FAIL; }

void InitRenderStates(IDirect3DDevice7*) {}

void PresentFrame() {
    if (primarySurface) primarySurface->Flip(nullptr, DDFLIP_WAIT);
}
