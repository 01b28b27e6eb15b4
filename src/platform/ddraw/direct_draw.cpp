// IDirectDraw7: display modes, the cooperative level and surface creation.
#include <cstring>
#include <new>

#include "platform/backend/window_system.h"
#include "platform/ddraw/objects.h"
#include "platform/ddraw/pixel_format.h"
#include "platform/ddraw/display_objects.h"

namespace velmora::platform::ddraw {

namespace {

bool DescriptionSizeOk(const DDSURFACEDESC2* description) {
    return description &&
           (description->dwSize == kSurfaceDescSize || description->dwSize == sizeof(DDSURFACEDESC2));
}

constexpr DWORD kLargestSurface = 8192;
constexpr DWORD kRefreshRate = 60;

DDSURFACEDESC2 ModeDescription(DWORD width, DWORD height, DWORD bits) {
    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    description.dwWidth = width;
    description.dwHeight = height;
    description.lPitch = static_cast<LONG>(width * (bits / 8));
    description.dwRefreshRate = kRefreshRate;
    description.ddpfPixelFormat = DisplayFormat(bits);
    return description;
}

DDSURFACEDESC2 SurfaceDescription(DWORD width, DWORD height, const DDPIXELFORMAT& format,
                                  DWORD caps, DWORD caps2) {
    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = kSurfaceDescSize;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddpfPixelFormat = format;
    description.ddsCaps.dwCaps = caps;
    description.ddsCaps.dwCaps2 = caps2;
    return description;
}

void FillCaps(DDCAPS& caps, bool hardware) {
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    caps.dwCaps = DDCAPS_3D | DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTSTRETCH;
    caps.dwCaps2 = DDCAPS2_CANRENDERWINDOWED | DDCAPS2_WIDESURFACES | DDCAPS2_FLIPNOVSYNC;
    caps.dwZBufferBitDepths = DDBD_16 | DDBD_24 | DDBD_32;
    if (hardware) {
        caps.dwVidMemTotal = 256u << 20;
        caps.dwVidMemFree = 256u << 20;
    }
    caps.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP |
                          DDSCAPS_FRONTBUFFER | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE |
                          DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE | DDSCAPS_ZBUFFER |
                          (hardware ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : 0);
    caps.ddsOldCaps.dwCaps = caps.ddsCaps.dwCaps;
}

}  // namespace

DirectDraw::DirectDraw() = default;
DirectDraw::~DirectDraw() = default;

HRESULT DirectDraw::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (IsEqualGUID(iid, IID_IDirectDraw7) || IsEqualGUID(iid, IID_IUnknown)) {
        AddRef();
        *object = static_cast<IDirectDraw7*>(this);
        return DD_OK;
    }
    if (IsEqualGUID(iid, IID_IDirect3D7)) {
        Direct3D* direct3d = new (std::nothrow) Direct3D(this);
        if (!direct3d) return DDERR_OUTOFMEMORY;
        *object = static_cast<IDirect3D7*>(direct3d);
        return DD_OK;
    }
    return E_NOINTERFACE;
}

HRESULT DirectDraw::GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) {
    if (!driverCaps && !helCaps) return DDERR_INVALIDPARAMS;
    if ((driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) ||
        (helCaps && helCaps->dwSize != sizeof(DDCAPS)))
        return DDERR_INVALIDPARAMS;
    if (driverCaps) FillCaps(*driverCaps, true);
    if (helCaps) FillCaps(*helCaps, false);
    return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD, LPDDSURFACEDESC2 filter, LPVOID context,
                                     LPDDENUMMODESCALLBACK2 callback) {
    if (!callback) return DDERR_INVALIDPARAMS;
    if (filter && !DescriptionSizeOk(filter)) return DDERR_INVALIDPARAMS;
    for (const DisplayMode& mode : ReportedModes()) {
        if (filter) {
            if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != mode.width) continue;
            if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != mode.height) continue;
            if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
                filter->ddpfPixelFormat.dwRGBBitCount != mode.bits)
                continue;
            if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != kRefreshRate)
                continue;
        }
        DDSURFACEDESC2 description = ModeDescription(mode.width, mode.height, mode.bits);
        if (callback(&description, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC2 description) {
    if (!DescriptionSizeOk(description)) return DDERR_INVALIDPARAMS;
    Display& display = TheDisplay();
    DWORD size = description->dwSize;
    if (display.modeSet) {
        *description = ModeDescription(display.width, display.height, display.bits);
    } else {
        int width = 0, height = 0;
        CurrentWindowSystem().DesktopSize(width, height);
        *description = ModeDescription(static_cast<DWORD>(width), static_cast<DWORD>(height), 32);
    }
    description->dwSize = size;
    return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    bool fullScreen = flags & DDSCL_FULLSCREEN;
    bool exclusive = flags & DDSCL_EXCLUSIVE;
    bool normal = flags & DDSCL_NORMAL;
    if (fullScreen != exclusive || normal == fullScreen) return DDERR_INVALIDPARAMS;
    if (exclusive && !window) return DDERR_INVALIDPARAMS;
    TheDisplay().exclusive = exclusive;
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD) {
    Display& display = TheDisplay();
    if (!display.exclusive) return DDERR_NOEXCLUSIVEMODE;
    // A mode of no size is the desktop's own.
    if (width == 0 && height == 0) {
        int desktopWidth = 0, desktopHeight = 0;
        CurrentWindowSystem().DesktopSize(desktopWidth, desktopHeight);
        width = static_cast<DWORD>(desktopWidth);
        height = static_cast<DWORD>(desktopHeight);
    }
    bool listed = false;
    for (const DisplayMode& mode : ReportedModes())
        listed = listed || (mode.width == width && mode.height == height && mode.bits == bitsPerPixel);
    if (!listed) return DDERR_INVALIDMODE;
    // Surfaces made for another mode keep their size.
    display.width = width;
    display.height = height;
    display.bits = bitsPerPixel;
    display.modeSet = true;
    CurrentWindowSystem().SetDisplayMode(static_cast<int>(width), static_cast<int>(height),
                                         CurrentDisplayOptions().windowed);
    return DD_OK;
}

HRESULT DirectDraw::WaitForVerticalBlank(DWORD flags, HANDLE) {
    if (flags != DDWAITVB_BLOCKBEGIN) return DDERR_INVALIDPARAMS;
    // The drawing back ends keep no refresh of their own to wait for; the
    // blank passes at once, and the frame clock with it.
    RefreshPassed();
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 description, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) {
    if (!surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (outer || !DescriptionSizeOk(description) || !(description->dwFlags & DDSD_CAPS))
        return DDERR_INVALIDPARAMS;
    const DWORD caps = description->ddsCaps.dwCaps;
    const DWORD caps2 = description->ddsCaps.dwCaps2;
    Display& display = TheDisplay();
    try {
        if (caps & DDSCAPS_PRIMARYSURFACE) {
            if (display.primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
            bool flipping = caps & DDSCAPS_FLIP;
            if (flipping && (!(caps & DDSCAPS_COMPLEX) || !(description->dwFlags & DDSD_BACKBUFFERCOUNT) ||
                             description->dwBackBufferCount == 0))
                return DDERR_INVALIDCAPS;
            if (!display.modeSet) {
                int width = 0, height = 0;
                CurrentWindowSystem().DesktopSize(width, height);
                display.width = static_cast<DWORD>(width);
                display.height = static_cast<DWORD>(height);
                display.bits = 32;
            }
            if (!DisplayRenderDevice().SetBackBufferSize(static_cast<int>(display.width),
                                                   static_cast<int>(display.height)))
                return DDERR_GENERIC;
            DDPIXELFORMAT format = DisplayFormat(display.bits);
            DDSURFACEDESC2 primaryDescription = SurfaceDescription(
                display.width, display.height, format,
                caps | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM, 0);
            if (flipping) {
                primaryDescription.dwFlags |= DDSD_BACKBUFFERCOUNT;
                primaryDescription.dwBackBufferCount = description->dwBackBufferCount;
            }
            Surface* primary = new Surface(this, SurfaceKind::Primary, primaryDescription);
            if (flipping) {
                DWORD backCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                                 DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                                 (caps & DDSCAPS_3DDEVICE);
                primary->SetBackBuffer(new Surface(this, SurfaceKind::BackBuffer,
                                                   SurfaceDescription(display.width, display.height,
                                                                      format, backCaps, 0)));
            }
            display.primary = primary;
            *surface = primary;
            return DD_OK;
        }
        if (!(description->dwFlags & DDSD_WIDTH) || !(description->dwFlags & DDSD_HEIGHT) ||
            description->dwWidth == 0 || description->dwHeight == 0 ||
            description->dwWidth > kLargestSurface || description->dwHeight > kLargestSurface)
            return DDERR_INVALIDPARAMS;
        if (caps & DDSCAPS_ZBUFFER) {
            DDPIXELFORMAT format = ReportedZBufferFormats()[1];
            if (description->dwFlags & DDSD_PIXELFORMAT) {
                format = description->ddpfPixelFormat;
                if (!(format.dwFlags & DDPF_ZBUFFER)) return DDERR_INVALIDPIXELFORMAT;
            }
            *surface = new Surface(this, SurfaceKind::ZBuffer,
                                   SurfaceDescription(description->dwWidth, description->dwHeight,
                                                      format, caps, caps2));
            return DD_OK;
        }
        DDPIXELFORMAT format = DisplayFormat(display.modeSet ? display.bits : 32);
        if (description->dwFlags & DDSD_PIXELFORMAT) format = description->ddpfPixelFormat;
        if (!IsSupportedRgb(format)) return DDERR_INVALIDPIXELFORMAT;
        DWORD memoryCaps = caps;
        if (!(caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)))
            memoryCaps |= (caps2 & DDSCAPS2_TEXTUREMANAGE) ? 0 : DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
        DDSURFACEDESC2 made = SurfaceDescription(description->dwWidth, description->dwHeight, format,
                                                 memoryCaps, caps2);
        if (description->dwFlags & DDSD_TEXTURESTAGE) {
            made.dwFlags |= DDSD_TEXTURESTAGE;
            made.dwTextureStage = description->dwTextureStage;
        }
        *surface = new Surface(this, SurfaceKind::Memory, made);
        return DD_OK;
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
}

}  // namespace velmora::platform::ddraw
