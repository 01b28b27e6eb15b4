// The DirectDraw 7 subset the engine calls.
#pragma once

#include "platform/ddraw/com_base.h"
#include "platform/ddraw/ddraw_types.h"

struct IDirectDrawSurface7;
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;

// Flip flags.
#define DDFLIP_WAIT 0x00000001L

struct DDBLTFX;

struct IDirectDrawSurface7 : IUnknown {
    virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD flags) = 0;
    virtual HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 surface) = 0;
    virtual HRESULT Blt(RECT* destinationRect, LPDIRECTDRAWSURFACE7 source, RECT* sourceRect,
                        DWORD flags, DDBLTFX* effects) = 0;
    // The surface comes with a reference the caller releases.
    virtual HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 description) = 0;
    virtual HRESULT Lock(RECT* rect, LPDDSURFACEDESC2 description, DWORD flags, HANDLE event) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT Unlock(RECT* rect) = 0;
    // The IDirectDraw7 that made the surface, with a reference the caller releases.
    virtual HRESULT GetDDInterface(LPVOID* directDraw) = 0;
};
