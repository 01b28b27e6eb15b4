// The DirectDraw 7 subset the engine calls, as the SDK's ddraw.h holds it: the
// structures and flag values, the surface and DirectDraw interfaces, the
// driver and mode enumeration and the entry points, with the documented
// names, layouts and values.
#pragma once

#include "platform/ddraw/com_base.h"
#include "platform/ddraw/guids.h"

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};
typedef DDCOLORKEY* LPDDCOLORKEY;

struct DDPIXELFORMAT {
    DWORD dwSize;  // 32
    DWORD dwFlags;
    DWORD dwFourCC;
    union {
        DWORD dwRGBBitCount;
        DWORD dwYUVBitCount;
        DWORD dwZBufferBitDepth;
        DWORD dwAlphaBitDepth;
        DWORD dwLuminanceBitCount;
        DWORD dwBumpBitCount;
        DWORD dwPrivateFormatBitCount;
    };
    union {
        DWORD dwRBitMask;
        DWORD dwYBitMask;
        DWORD dwStencilBitDepth;
        DWORD dwLuminanceBitMask;
        DWORD dwBumpDuBitMask;
        DWORD dwOperations;
    };
    union {
        DWORD dwGBitMask;
        DWORD dwUBitMask;
        DWORD dwZBitMask;
        DWORD dwBumpDvBitMask;
    };
    union {
        DWORD dwBBitMask;
        DWORD dwVBitMask;
        DWORD dwStencilBitMask;
        DWORD dwBumpLuminanceBitMask;
    };
    union {
        DWORD dwRGBAlphaBitMask;
        DWORD dwYUVAlphaBitMask;
        DWORD dwLuminanceAlphaBitMask;
        DWORD dwRGBZBitMask;
        DWORD dwYUVZBitMask;
    };
};
typedef DDPIXELFORMAT* LPDDPIXELFORMAT;

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    union {
        DWORD dwCaps4;
        DWORD dwVolumeDepth;
    };
};
typedef DDSCAPS2* LPDDSCAPS2;

// dwSize always carries the documented 124, the size on the 32-bit platform the
// format was defined for; lpSurface makes the host structure larger on a 64-bit
// one, and the stand-ins accept 124 there too.
constexpr DWORD kSurfaceDescSize = 124;
constexpr DWORD kPixelFormatSize = 32;

struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    union {
        LONG lPitch;
        DWORD dwLinearSize;
    };
    union {
        DWORD dwBackBufferCount;
        DWORD dwDepth;
    };
    union {
        DWORD dwMipMapCount;
        DWORD dwRefreshRate;
        DWORD dwSrcVBHandle;
    };
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    union {
        DDCOLORKEY ddckCKDestOverlay;
        DWORD dwEmptyFaceColor;
    };
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    union {
        DDPIXELFORMAT ddpfPixelFormat;
        DWORD dwFVF;
    };
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};
typedef DDSURFACEDESC2* LPDDSURFACEDESC2;

static_assert(sizeof(DDCOLORKEY) == 8);
static_assert(sizeof(DDPIXELFORMAT) == kPixelFormatSize);
static_assert(sizeof(DDSCAPS2) == 16);
static_assert(sizeof(void*) != 4 || sizeof(DDSURFACEDESC2) == kSurfaceDescSize);

// Surface description flags (dwFlags of DDSURFACEDESC2).
#define DDSD_CAPS 0x00000001L
#define DDSD_HEIGHT 0x00000002L
#define DDSD_WIDTH 0x00000004L
#define DDSD_PITCH 0x00000008L
#define DDSD_BACKBUFFERCOUNT 0x00000020L
#define DDSD_ZBUFFERBITDEPTH 0x00000040L
#define DDSD_ALPHABITDEPTH 0x00000080L
#define DDSD_LPSURFACE 0x00000800L
#define DDSD_PIXELFORMAT 0x00001000L
#define DDSD_CKDESTOVERLAY 0x00002000L
#define DDSD_CKDESTBLT 0x00004000L
#define DDSD_CKSRCOVERLAY 0x00008000L
#define DDSD_CKSRCBLT 0x00010000L
#define DDSD_MIPMAPCOUNT 0x00020000L
#define DDSD_REFRESHRATE 0x00040000L
#define DDSD_LINEARSIZE 0x00080000L
#define DDSD_TEXTURESTAGE 0x00100000L
#define DDSD_FVF 0x00200000L
#define DDSD_SRCVBHANDLE 0x00400000L
#define DDSD_DEPTH 0x00800000L

// Surface capabilities (dwCaps of DDSCAPS2).
#define DDSCAPS_ALPHA 0x00000002L
#define DDSCAPS_BACKBUFFER 0x00000004L
#define DDSCAPS_COMPLEX 0x00000008L
#define DDSCAPS_FLIP 0x00000010L
#define DDSCAPS_FRONTBUFFER 0x00000020L
#define DDSCAPS_OFFSCREENPLAIN 0x00000040L
#define DDSCAPS_OVERLAY 0x00000080L
#define DDSCAPS_PALETTE 0x00000100L
#define DDSCAPS_PRIMARYSURFACE 0x00000200L
#define DDSCAPS_SYSTEMMEMORY 0x00000800L
#define DDSCAPS_TEXTURE 0x00001000L
#define DDSCAPS_3DDEVICE 0x00002000L
#define DDSCAPS_VIDEOMEMORY 0x00004000L
#define DDSCAPS_VISIBLE 0x00008000L
#define DDSCAPS_WRITEONLY 0x00010000L
#define DDSCAPS_ZBUFFER 0x00020000L
#define DDSCAPS_OWNDC 0x00040000L
#define DDSCAPS_MIPMAP 0x00400000L
#define DDSCAPS_LOCALVIDMEM 0x10000000L
#define DDSCAPS_NONLOCALVIDMEM 0x20000000L

// Second capability word (dwCaps2 of DDSCAPS2).
#define DDSCAPS2_TEXTUREMANAGE 0x00000010L
#define DDSCAPS2_D3DTEXTUREMANAGE 0x00020000L

// Pixel format flags (dwFlags of DDPIXELFORMAT).
#define DDPF_ALPHAPIXELS 0x00000001L
#define DDPF_ALPHA 0x00000002L
#define DDPF_FOURCC 0x00000004L
#define DDPF_PALETTEINDEXED4 0x00000008L
#define DDPF_PALETTEINDEXED8 0x00000020L
#define DDPF_RGB 0x00000040L
#define DDPF_ZBUFFER 0x00000400L
#define DDPF_LUMINANCE 0x00020000L
#define DDPF_BUMPLUMINANCE 0x00040000L
#define DDPF_BUMPDUDV 0x00080000L

// Enumeration callback verdicts.
#define DDENUMRET_CANCEL 0
#define DDENUMRET_OK 1

// DirectDraw result codes.
#define MAKE_DDHRESULT(code) static_cast<HRESULT>(0x88760000UL | static_cast<DWORD>(code))
#define DD_OK S_OK
#define DDERR_INVALIDMODE MAKE_DDHRESULT(120)
#define DDERR_NOTFOUND MAKE_DDHRESULT(255)
#define DDERR_WASSTILLDRAWING MAKE_DDHRESULT(540)

// Bit depths a device can render into (dwDeviceRenderBitDepth).
#define DDBD_1 0x00004000L
#define DDBD_2 0x00002000L
#define DDBD_4 0x00001000L
#define DDBD_8 0x00000800L
#define DDBD_16 0x00000400L
#define DDBD_24 0x00000200L
#define DDBD_32 0x00000100L

struct IDirectDrawSurface7;
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;

// Flip flags.
#define DDFLIP_WAIT 0x00000001L

// WaitForVerticalBlank flags.
#define DDWAITVB_BLOCKBEGIN 0x00000001L

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
    // Returns once the next vertical blank has begun (DDWAITVB_BLOCKBEGIN,
    // the one flag supported); event is not used.
    virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
};
typedef IDirectDraw7* LPDIRECTDRAW7;

// Reports each display driver: here the one primary display (null GUID).
HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);
// A DirectDraw 7 object for the driver (null or the primary's GUID); iid must be IID_IDirectDraw7.
HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                  IUnknown* outer);
