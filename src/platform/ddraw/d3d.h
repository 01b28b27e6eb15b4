// The Direct3D 7 subset the engine calls.
#pragma once

#include "platform/ddraw/ddraw.h"

typedef float D3DVALUE;
typedef DWORD D3DCOLOR;

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};
typedef D3DRECT* LPD3DRECT;

// Clear flags.
#define D3DCLEAR_TARGET 0x00000001L
#define D3DCLEAR_ZBUFFER 0x00000002L
#define D3DCLEAR_STENCIL 0x00000004L

struct IDirect3DDevice7 : IUnknown {
    virtual HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                          DWORD stencil) = 0;
    virtual HRESULT PreLoad(LPDIRECTDRAWSURFACE7 texture) = 0;
};
typedef IDirect3DDevice7* LPDIRECT3DDEVICE7;
