// The DirectDraw 7 subset the engine calls.
#pragma once

#include "platform/ddraw/com_base.h"
#include "platform/ddraw/ddraw_types.h"

struct IDirectDrawSurface7;
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;

// Flip flags.
#define DDFLIP_WAIT 0x00000001L

struct IDirectDrawSurface7 : IUnknown {
    virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD flags) = 0;
};
