// The DirectDraw 7 structures and flag values the engine uses, with their
// documented names, layouts and values.
#pragma once

#include "platform/ddraw/com_base.h"

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
