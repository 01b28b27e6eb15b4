// The Direct3D 7 subset the engine calls, as the SDK's d3d.h holds it: the
// device interface and the Direct3D object, declared with the documented
// method names and arguments in the documented order, and the result codes.
// A back end implements the device by deriving from IDirect3DDevice7; the
// engine only ever calls through d3dDevice.
#pragma once

#include "platform/ddraw/d3dtypes.h"
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

typedef HRESULT(CALLBACK* LPD3DENUMDEVICESCALLBACK7)(LPSTR deviceDescription, LPSTR deviceName,
                                                     LPD3DDEVICEDESC7 description, LPVOID context);

struct IDirect3D7 : IUnknown {
    virtual HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) = 0;
    virtual HRESULT CreateDevice(REFCLSID deviceGuid, LPDIRECTDRAWSURFACE7 renderTarget,
                                 LPDIRECT3DDEVICE7* device) = 0;
    virtual HRESULT EnumZBufferFormats(REFCLSID deviceGuid,
                                       LPD3DENUMPIXELFORMATSCALLBACK callback,
                                       LPVOID context) = 0;
};
typedef IDirect3D7* LPDIRECT3D7;

#define D3D_OK DD_OK
#define D3DENUMRET_CANCEL DDENUMRET_CANCEL
#define D3DENUMRET_OK DDENUMRET_OK

// Direct3D result codes.
#define D3DERR_SCENE_IN_SCENE MAKE_DDHRESULT(780)
#define D3DERR_SCENE_NOT_IN_SCENE MAKE_DDHRESULT(781)
#define D3DERR_INVALIDVERTEXFORMAT MAKE_DDHRESULT(2048)

// Further device capabilities reported.
#define D3DDEVCAPS_FLOATTLVERTEX 0x00000001L
#define D3DDEVCAPS_EXECUTESYSTEMMEMORY 0x00000010L
#define D3DDEVCAPS_TLVERTEXSYSTEMMEMORY 0x00000040L
#define D3DDEVCAPS_TEXTURESYSTEMMEMORY 0x00000100L
#define D3DDEVCAPS_TEXTUREVIDEOMEMORY 0x00000200L
#define D3DDEVCAPS_DRAWPRIMTLVERTEX 0x00000400L
#define D3DDEVCAPS_CANRENDERAFTERFLIP 0x00000800L
#define D3DDEVCAPS_DRAWPRIMITIVES2 0x00002000L
#define D3DDEVCAPS_DRAWPRIMITIVES2EX 0x00008000L
#define D3DPRASTERCAPS_DITHER 0x00000001L
#define D3DPRASTERCAPS_ZTEST 0x00000010L
#define D3DPRASTERCAPS_WBUFFER 0x00040000L
#define D3DPSHADECAPS_COLORFLATRGB 0x00000008L
#define D3DPSHADECAPS_COLORGOURAUDRGB 0x00000200L
#define D3DPSHADECAPS_ALPHAGOURAUDBLEND 0x00004000L
#define D3DPTFILTERCAPS_NEAREST 0x00000001L
#define D3DPTFILTERCAPS_LINEAR 0x00000002L
#define D3DPTFILTERCAPS_MINFPOINT 0x00000100L
#define D3DPTFILTERCAPS_MINFLINEAR 0x00000200L
#define D3DPTFILTERCAPS_MAGFPOINT 0x01000000L
#define D3DPTFILTERCAPS_MAGFLINEAR 0x02000000L
#define D3DPBLENDCAPS_ZERO 0x00000001L
#define D3DPBLENDCAPS_ONE 0x00000002L
#define D3DPBLENDCAPS_SRCCOLOR 0x00000004L
#define D3DPBLENDCAPS_INVSRCCOLOR 0x00000008L
#define D3DPBLENDCAPS_SRCALPHA 0x00000010L
#define D3DPBLENDCAPS_INVSRCALPHA 0x00000020L
#define D3DPBLENDCAPS_DESTALPHA 0x00000040L
#define D3DPBLENDCAPS_INVDESTALPHA 0x00000080L
#define D3DPBLENDCAPS_DESTCOLOR 0x00000100L
#define D3DPBLENDCAPS_INVDESTCOLOR 0x00000200L
#define D3DPCMPCAPS_ALL 0x000000FFL
#define D3DPTADDRESSCAPS_WRAP 0x00000001L
#define D3DPTADDRESSCAPS_CLAMP 0x00000004L

// Texture addressing.
enum D3DTEXTUREADDRESS {
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_BORDER = 4,
    D3DTADDRESS_FORCE_DWORD = 0x7fffffff,
};
