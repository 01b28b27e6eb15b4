// The DirectDraw 7 object, its capabilities, the driver and mode enumeration
// and the entry points, with the documented names, layouts and values.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/guids.h"

typedef struct HMONITOR__* HMONITOR;

struct DDSCAPS {
    DWORD dwCaps;
};

#define DD_ROP_SPACE 8

// The DirectX 7 capability record; dwSize 380.
struct DDCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwFXAlphaCaps;
    DWORD dwPalCaps;
    DWORD dwSVCaps;
    DWORD dwAlphaBltConstBitDepths;
    DWORD dwAlphaBltPixelBitDepths;
    DWORD dwAlphaBltSurfaceBitDepths;
    DWORD dwAlphaOverlayConstBitDepths;
    DWORD dwAlphaOverlayPixelBitDepths;
    DWORD dwAlphaOverlaySurfaceBitDepths;
    DWORD dwZBufferBitDepths;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
    DWORD dwMaxVisibleOverlays;
    DWORD dwCurrVisibleOverlays;
    DWORD dwNumFourCCCodes;
    DWORD dwAlignBoundarySrc;
    DWORD dwAlignSizeSrc;
    DWORD dwAlignBoundaryDest;
    DWORD dwAlignSizeDest;
    DWORD dwAlignStrideAlign;
    DWORD dwRops[DD_ROP_SPACE];
    DDSCAPS ddsOldCaps;
    DWORD dwMinOverlayStretch;
    DWORD dwMaxOverlayStretch;
    DWORD dwMinLiveVideoStretch;
    DWORD dwMaxLiveVideoStretch;
    DWORD dwMinHwCodecStretch;
    DWORD dwMaxHwCodecStretch;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwReserved3;
    DWORD dwSVBCaps;
    DWORD dwSVBCKeyCaps;
    DWORD dwSVBFXCaps;
    DWORD dwSVBRops[DD_ROP_SPACE];
    DWORD dwVSBCaps;
    DWORD dwVSBCKeyCaps;
    DWORD dwVSBFXCaps;
    DWORD dwVSBRops[DD_ROP_SPACE];
    DWORD dwSSBCaps;
    DWORD dwSSBCKeyCaps;
    DWORD dwSSBFXCaps;
    DWORD dwSSBRops[DD_ROP_SPACE];
    DWORD dwMaxVideoPorts;
    DWORD dwCurrVideoPorts;
    DWORD dwSVBCaps2;
    DWORD dwNLVBCaps;
    DWORD dwNLVBCaps2;
    DWORD dwNLVBCKeyCaps;
    DWORD dwNLVBFXCaps;
    DWORD dwNLVBRops[DD_ROP_SPACE];
    DDSCAPS2 ddsCaps;
};
typedef DDCAPS* LPDDCAPS;
static_assert(sizeof(DDCAPS) == 380);

// DDCAPS dwCaps bits reported.
#define DDCAPS_3D 0x00000001L
#define DDCAPS_BLT 0x00000040L
#define DDCAPS_BLTCOLORFILL 0x04000000L
#define DDCAPS_BLTSTRETCH 0x00000200L
#define DDCAPS2_WIDESURFACES 0x00001000L
#define DDCAPS2_CANRENDERWINDOWED 0x00080000L
#define DDCAPS2_FLIPNOVSYNC 0x08000000L

// DirectDrawEnumerateExA flags.
#define DDENUM_ATTACHEDSECONDARYDEVICES 0x00000001L
#define DDENUM_DETACHEDSECONDARYDEVICES 0x00000002L
#define DDENUM_NONDISPLAYDEVICES 0x00000004L

// SetCooperativeLevel flags.
#define DDSCL_FULLSCREEN 0x00000001L
#define DDSCL_ALLOWREBOOT 0x00000002L
#define DDSCL_NOWINDOWCHANGES 0x00000004L
#define DDSCL_NORMAL 0x00000008L
#define DDSCL_EXCLUSIVE 0x00000010L
#define DDSCL_ALLOWMODEX 0x00000040L
#define DDSCL_SETFOCUSWINDOW 0x00000080L
#define DDSCL_SETDEVICEWINDOW 0x00000100L
#define DDSCL_CREATEDEVICEWINDOW 0x00000200L
#define DDSCL_MULTITHREADED 0x00000400L
#define DDSCL_FPUSETUP 0x00000800L
#define DDSCL_FPUPRESERVE 0x00001000L

// Lock flags.
#define DDLOCK_SURFACEMEMORYPTR 0x00000000L
#define DDLOCK_WAIT 0x00000001L
#define DDLOCK_READONLY 0x00000010L
#define DDLOCK_WRITEONLY 0x00000020L
#define DDLOCK_NOSYSLOCK 0x00000800L

// Blt flags.
#define DDBLT_COLORFILL 0x00000400L
#define DDBLT_WAIT 0x01000000L

// Further pixel format flags.
#define DDPF_ZPIXELS 0x00002000L
#define DDPF_STENCILBUFFER 0x00004000L

// Further DirectDraw result codes.
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_UNSUPPORTED static_cast<HRESULT>(0x80004001L)
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_CANNOTATTACHSURFACE MAKE_DDHRESULT(110)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_SURFACEALREADYATTACHED MAKE_DDHRESULT(410)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_PRIMARYSURFACEALREADYEXISTS MAKE_DDHRESULT(564)
#define DDERR_NOTFLIPPABLE MAKE_DDHRESULT(582)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_DCALREADYCREATED MAKE_DDHRESULT(620)

// The Blt effects record; only the fill colour is read.
struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    union {
        DWORD dwZDestConst;
        IDirectDrawSurface7* lpDDSZBufferDest;
    };
    DWORD dwZSrcConstBitDepth;
    union {
        DWORD dwZSrcConst;
        IDirectDrawSurface7* lpDDSZBufferSrc;
    };
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    union {
        DWORD dwAlphaDestConst;
        IDirectDrawSurface7* lpDDSAlphaDest;
    };
    DWORD dwAlphaSrcConstBitDepth;
    union {
        DWORD dwAlphaSrcConst;
        IDirectDrawSurface7* lpDDSAlphaSrc;
    };
    union {
        DWORD dwFillColor;
        DWORD dwFillDepth;
        DWORD dwFillPixel;
        IDirectDrawSurface7* lpDDSPattern;
    };
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};
typedef DDBLTFX* LPDDBLTFX;

typedef BOOL(WINAPI* LPDDENUMCALLBACKEXA)(GUID* driverGuid, LPSTR driverDescription,
                                          LPSTR driverName, LPVOID context, HMONITOR monitor);
typedef HRESULT(WINAPI* LPDDENUMMODESCALLBACK2)(LPDDSURFACEDESC2 mode, LPVOID context);

struct IDirectDraw7 : IUnknown {
    virtual HRESULT CreateSurface(LPDDSURFACEDESC2 description, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) = 0;
    virtual HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                     LPDDENUMMODESCALLBACK2 callback) = 0;
    virtual HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) = 0;
    virtual HRESULT GetDisplayMode(LPDDSURFACEDESC2 description) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel,
                                   DWORD refreshRate, DWORD flags) = 0;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

// Reports each display driver: here the one primary display (null GUID).
HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);
// A DirectDraw 7 object for the driver (null or the primary's GUID); iid must be IID_IDirectDraw7.
HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                  IUnknown* outer);

namespace velmora::platform {

// Destroys every DirectDraw and Direct3D object still alive, and the drawing
// back end with them; the program never releases its display, so this runs
// once at exit before the window goes. Pointers to those objects are dangling
// afterwards.
void ReleaseDisplayObjects();

// "OpenGL" or "null": the drawing back end the display opened, or null
// when no display surface has been made yet.
const char* DisplayBackEndName();

}  // namespace velmora::platform
