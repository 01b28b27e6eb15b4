// The entry points and what the stand-in reports: one display driver (the
// primary, null GUID) with three Direct3D devices that all draw through the
// same back end, their z-buffer and texture formats.
#include <cstring>
#include <new>

#include "platform/ddraw/objects.h"
#include "platform/ddraw/pixel_format.h"

namespace velmora::platform::ddraw {

namespace {

D3DPRIMCAPS PrimitiveCaps() {
    D3DPRIMCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    caps.dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_WBUFFER;
    caps.dwZCmpCaps = D3DPCMPCAPS_ALL;
    DWORD blend = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR |
                  D3DPBLENDCAPS_INVSRCCOLOR | D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA |
                  D3DPBLENDCAPS_DESTALPHA | D3DPBLENDCAPS_INVDESTALPHA |
                  D3DPBLENDCAPS_DESTCOLOR | D3DPBLENDCAPS_INVDESTCOLOR;
    caps.dwSrcBlendCaps = blend;
    caps.dwDestBlendCaps = blend;
    caps.dwAlphaCmpCaps = D3DPCMPCAPS_ALL;
    caps.dwShadeCaps = D3DPSHADECAPS_COLORFLATRGB | D3DPSHADECAPS_COLORGOURAUDRGB |
                       D3DPSHADECAPS_ALPHAGOURAUDBLEND;
    // No power-of-two or square rule: OpenGL takes any size.
    caps.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA;
    caps.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR |
                               D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                               D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.dwTextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP;
    return caps;
}

D3DDEVICEDESC7 DeviceCaps(const GUID& guid, DWORD extraCaps) {
    D3DDEVICEDESC7 caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY |
                     D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY |
                     D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                     D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX | extraCaps;
    caps.dpcLineCaps = PrimitiveCaps();
    caps.dpcTriCaps = PrimitiveCaps();
    caps.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    caps.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
    caps.dwMinTextureWidth = 1;
    caps.dwMinTextureHeight = 1;
    caps.dwMaxTextureWidth = 4096;
    caps.dwMaxTextureHeight = 4096;
    caps.dwMaxTextureRepeat = 8192;
    caps.dwMaxTextureAspectRatio = 4096;
    caps.dwMaxAnisotropy = 1;
    caps.dvGuardBandLeft = -4096.0f;
    caps.dvGuardBandTop = -4096.0f;
    caps.dvGuardBandRight = 4095.0f;
    caps.dvGuardBandBottom = 4095.0f;
    caps.dwFVFCaps = 1;
    caps.wMaxTextureBlendStages = 1;
    caps.wMaxSimultaneousTextures = 1;
    caps.dwMaxActiveLights = kMaxActiveLights;
    caps.dvMaxVertexW = 1.0e10f;
    caps.deviceGUID = guid;
    return caps;
}

DDPIXELFORMAT DepthFormat(DWORD bits, DWORD depthMask, DWORD stencilBits, DWORD stencilMask) {
    DDPIXELFORMAT format;
    std::memset(&format, 0, sizeof format);
    format.dwSize = kPixelFormatSize;
    format.dwFlags = DDPF_ZBUFFER | (stencilBits ? DDPF_STENCILBUFFER : 0);
    format.dwZBufferBitDepth = bits;
    format.dwStencilBitDepth = stencilBits;
    format.dwZBitMask = depthMask;
    format.dwStencilBitMask = stencilMask;
    return format;
}

}  // namespace

const std::vector<DeviceInfo>& ReportedDevices() {
    static const std::vector<DeviceInfo> devices = {
        {"Software rasterisation emulated on OpenGL", "RGB Emulation",
         DeviceCaps(IID_IDirect3DRGBDevice, 0)},
        {"Hardware rasterisation through OpenGL", "Direct3D HAL",
         DeviceCaps(IID_IDirect3DHALDevice, D3DDEVCAPS_HWRASTERIZATION |
                                                D3DDEVCAPS_TEXTUREVIDEOMEMORY)},
        {"Hardware transform, lighting and rasterisation through OpenGL", "Direct3D T&L HAL",
         DeviceCaps(IID_IDirect3DTnLHalDevice, D3DDEVCAPS_HWRASTERIZATION |
                                                   D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                                                   D3DDEVCAPS_TEXTUREVIDEOMEMORY)},
    };
    return devices;
}

const DeviceInfo* FindDevice(const GUID& deviceGuid) {
    for (const DeviceInfo& device : ReportedDevices())
        if (IsEqualGUID(device.caps.deviceGUID, deviceGuid)) return &device;
    return nullptr;
}

// Whatever is reported, depth is kept by the back end as eye distance in a
// 32-bit float buffer.
std::vector<DDPIXELFORMAT> ReportedZBufferFormats() {
    return {DepthFormat(32, 0xFFFFFF00, 8, 0x000000FF), DepthFormat(32, 0xFFFFFFFF, 0, 0),
            DepthFormat(16, 0xFFFF, 0, 0)};
}

namespace {
struct TextureCapsOverride {
    bool set = false;
    DWORD caps = 0, maxWidth = 0, maxHeight = 0;
    bool formatsSet = false;
    std::vector<DDPIXELFORMAT> formats;
};
TextureCapsOverride& TextureCapsSet() {
    static TextureCapsOverride value;
    return value;
}
}  // namespace

std::vector<DDPIXELFORMAT> ReportedTextureFormats() {
    if (TextureCapsSet().formatsSet) return TextureCapsSet().formats;
    std::vector<DDPIXELFORMAT> formats = {RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0),
                                          RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
                                          RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
                                          RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0),
                                          RgbFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0),
                                          RgbFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)};
    // As drivers of the time list them after the RGB ones: 8-bit palettised,
    // 8-bit luminance and a du/dv bump map. Surfaces of these cannot be made.
    DDPIXELFORMAT palettised = RgbFormat(8, 0, 0, 0, 0);
    palettised.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    DDPIXELFORMAT luminance = RgbFormat(8, 0xFF, 0, 0, 0);
    luminance.dwFlags = DDPF_LUMINANCE;
    DDPIXELFORMAT bump = RgbFormat(16, 0x00FF, 0xFF00, 0, 0);
    bump.dwFlags = DDPF_BUMPDUDV;
    formats.push_back(palettised);
    formats.push_back(luminance);
    formats.push_back(bump);
    return formats;
}

void ApplyTextureCaps(D3DDEVICEDESC7& caps) {
    const TextureCapsOverride& set = TextureCapsSet();
    if (!set.set) return;
    caps.dpcTriCaps.dwTextureCaps = (caps.dpcTriCaps.dwTextureCaps &
                                     ~DWORD(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY)) |
                                    set.caps;
    caps.dwMaxTextureWidth = set.maxWidth;
    caps.dwMaxTextureHeight = set.maxHeight;
}

}  // namespace velmora::platform::ddraw

namespace velmora::platform {

void SetTextureCaps(unsigned long textureCaps, unsigned long maxWidth, unsigned long maxHeight) {
    auto& set = ddraw::TextureCapsSet();
    set.set = true;
    set.caps = static_cast<DWORD>(textureCaps);
    set.maxWidth = static_cast<DWORD>(maxWidth);
    set.maxHeight = static_cast<DWORD>(maxHeight);
}

void SetTextureFormats(const std::vector<DDPIXELFORMAT>& formats) {
    auto& set = ddraw::TextureCapsSet();
    set.formatsSet = true;
    set.formats = formats;
}

void ResetTextureCaps() { ddraw::TextureCapsSet() = {}; }

}  // namespace velmora::platform

using namespace velmora::platform::ddraw;

HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD) {
    if (!callback) return DDERR_INVALIDPARAMS;
    char description[] = "Primary Display Driver";
    char name[] = "display";
    callback(nullptr, description, name, context, nullptr);
    return DD_OK;
}

HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                  IUnknown* outer) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer || !IsEqualGUID(iid, IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    // Only the primary display exists; a driver GUID of zeros also names it.
    static const GUID none{};
    if (driverGuid && !IsEqualGUID(*driverGuid, none)) return DDERR_INVALIDPARAMS;
    DirectDraw* object = new (std::nothrow) DirectDraw();
    if (!object) return DDERR_OUTOFMEMORY;
    *directDraw = static_cast<IDirectDraw7*>(object);
    return DD_OK;
}
