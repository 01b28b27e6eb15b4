// The Direct3D 7 subset the engine calls: the device interface, declared with
// the documented method names and arguments, in the documented order. A back
// end implements it by deriving from IDirect3DDevice7; the engine only ever
// calls through d3dDevice.
#pragma once

#include "platform/ddraw/d3d_types.h"
#include "platform/ddraw/ddraw.h"

// Clear flags.
#define D3DCLEAR_TARGET 0x00000001L
#define D3DCLEAR_ZBUFFER 0x00000002L
#define D3DCLEAR_STENCIL 0x00000004L

struct IDirect3DDevice7 : IUnknown {
    virtual HRESULT GetCaps(LPD3DDEVICEDESC7 description) = 0;
    virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback,
                                       LPVOID context) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    // The surface comes with a reference the caller releases.
    virtual HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* renderTarget) = 0;
    virtual HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                          DWORD stencil) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, LPD3DMATRIX matrix) = 0;
    virtual HRESULT SetViewport(LPD3DVIEWPORT7 viewport) = 0;
    virtual HRESULT SetMaterial(LPD3DMATERIAL7 material) = 0;
    virtual HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT PreLoad(LPDIRECTDRAWSURFACE7 texture) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat,
                                         LPVOID vertices, DWORD vertexCount, WORD* indices,
                                         DWORD indexCount, DWORD flags) = 0;
    virtual HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state,
                                         DWORD value) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
};
typedef IDirect3DDevice7* LPDIRECT3DDEVICE7;
