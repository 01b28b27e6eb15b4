// The display set-up: the full-screen DirectDraw display with its flipping
// chain, z-buffer and Direct3D device for the chosen device and mode, and the
// fixed render states.
#include <cstring>

#include "math/d3d_structures.h"
#include "render/display.h"
#include "render/projection.h"
#include "state/engine_state.h"

IDirectDrawSurface7* primarySurface = nullptr;
IDirectDrawSurface7* backBuffer = nullptr;
IDirectDrawSurface7* zBuffer = nullptr;
IDirect3DDevice7* d3dDevice = nullptr;

HRESULT CALLBACK OnZBufferFormat(LPDDPIXELFORMAT format, LPVOID context) {
    if (!format || !context) return D3DENUMRET_OK;
    if (format->dwFlags == DDPF_ZBUFFER) {
        std::memcpy(context, format, sizeof(DDPIXELFORMAT));
        return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}

HRESULT CreateDisplay(HWND window) {
    // A device number from the settings file may lie outside the table, or
    // name a slot without a device.
    if (selectedDevice < 0 || selectedDevice >= kDisplayDeviceSlots) return E_INVALIDARG;
    DisplayDevice& device = displayDevices[selectedDevice];
    // When neither the settings file nor the dialog settled the mode (a run
    // whose dialog cannot be shown), the pre-selected one stands.
    if (!device.modeChosen && selectedMode >= 0 && static_cast<uint32_t>(selectedMode) < device.modeCount) {
        device.chosenMode = device.modes[selectedMode];
        device.chosenModeIndex = static_cast<uint32_t>(selectedMode);
        device.modeChosen = 1;
    }
    GUID* driverGuid = device.driverGuid;
    GUID* deviceGuid = device.deviceGuid;
    const DDSURFACEDESC2& mode = device.chosenMode;

    IDirectDraw7* directDraw = nullptr;
    HRESULT result = DirectDrawCreateEx(driverGuid, reinterpret_cast<void**>(&directDraw),
                                        IID_IDirectDraw7, nullptr);
    if (FAILED(result)) return result;
    IDirect3D7* direct3d = nullptr;
    result = directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d));
    if (FAILED(result)) return result;
    result = directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_FPUSETUP);
    if (FAILED(result)) return result;
    result = directDraw->SetDisplayMode(mode.dwWidth, mode.dwHeight,
                                        mode.ddpfPixelFormat.dwRGBBitCount, mode.dwRefreshRate, 0);
    if (FAILED(result)) return result;

    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    description.dwBackBufferCount = 1;
    result = directDraw->CreateSurface(&description, &primarySurface, nullptr);
    if (FAILED(result)) return result;

    RECT screen = {0, 0, static_cast<LONG>(mode.dwWidth), static_cast<LONG>(mode.dwHeight)};
    if (mode.dwWidth == 0 && mode.dwHeight == 0) {
        // The desktop-window mode: the display keeps the desktop's size.
        DDSURFACEDESC2 current;
        std::memset(&current, 0, sizeof current);
        current.dwSize = kSurfaceDescSize;
        if (SUCCEEDED(directDraw->GetDisplayMode(&current)))
            screen = {0, 0, static_cast<LONG>(current.dwWidth), static_cast<LONG>(current.dwHeight)};
    }

    DDSCAPS2 backCaps = {DDSCAPS_BACKBUFFER, 0, 0, {0}};
    result = primarySurface->GetAttachedSurface(&backCaps, &backBuffer);
    if (FAILED(result)) return result;

    if (!deviceGuid) return E_INVALIDARG;
    DDPIXELFORMAT depthFormat;
    std::memset(&depthFormat, 0, sizeof depthFormat);
    direct3d->EnumZBufferFormats(*deviceGuid, OnZBufferFormat, &depthFormat);
    if (depthFormat.dwSize != sizeof(DDPIXELFORMAT)) return E_FAIL;

    std::memset(&description, 0, sizeof description);
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    description.dwWidth = static_cast<DWORD>(screen.right);
    description.dwHeight = static_cast<DWORD>(screen.bottom);
    description.ddpfPixelFormat = depthFormat;
    description.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (IsEqualGUID(*deviceGuid, IID_IDirect3DHALDevice)
                                                        ? DDSCAPS_VIDEOMEMORY
                                                        : DDSCAPS_SYSTEMMEMORY);
    result = directDraw->CreateSurface(&description, &zBuffer, nullptr);
    if (FAILED(result)) return result;
    result = backBuffer->AddAttachedSurface(zBuffer);
    if (FAILED(result)) return result;

    DDSURFACEDESC2 current;
    std::memset(&current, 0, sizeof current);
    current.dwSize = kSurfaceDescSize;
    result = directDraw->GetDisplayMode(&current);
    if (FAILED(result)) return result;
    if (current.ddpfPixelFormat.dwRGBBitCount <= 8) return DDERR_INVALIDMODE;

    result = direct3d->CreateDevice(*deviceGuid, backBuffer, &d3dDevice);
    if (FAILED(result)) {
        result = direct3d->CreateDevice(IID_IDirect3DRGBDevice, backBuffer, &d3dDevice);
        if (FAILED(result)) return result;
    }

    D3DVIEWPORT7 viewport = {0, 0, static_cast<DWORD>(screen.right), static_cast<DWORD>(screen.bottom),
                             0.0f, 1.0f};
    d3dDevice->SetViewport(&viewport);

    d3dDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    d3dDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d3dDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d3dDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    return S_OK;
}

float ProjectionAspect() {
    if (screenHeight <= 0) return 1.0f;
    int32_t quotient = screenWidth / screenHeight;
    return quotient > 0 ? static_cast<float>(quotient) : 1.0f;
}

int InitRenderStates(IDirect3DDevice7* device) {
    if (!device) return 0;
    D3DMATERIAL7 material;
    InitMaterial(&material, 1.0f, 1.0f, 1.0f, 1.0f);
    device->SetMaterial(&material);
    device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
    SetProjection(DegreesToRadians(45.0f), ProjectionAspect(), kNearPlane, kFarPlane);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_USEW);
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, TRUE);
    device->SetRenderState(D3DRENDERSTATE_NORMALIZENORMALS, TRUE);
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_COLORVERTEX, TRUE);
    return 0;
}
