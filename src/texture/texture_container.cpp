#include "texture/texture_container.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "data/data_archive.h"
#include "data/memory_file.h"
#include "math/d3d_structures.h"

int32_t lowTextures = 0;
TextureContainer* textureList = nullptr;

TextureContainer::TextureContainer(const char* name, DWORD stage)
    : pNext(nullptr), dwWidth(0), dwHeight(0), dwStage(stage), dwSourceBits(0), bAlpha(0),
      pddsTexture(nullptr), hBitmap(nullptr), pPixels(nullptr) {
    std::memset(strName, 0, sizeof strName);
    if (name) std::strncpy(strName, name, sizeof strName - 1);
    pNext = textureList;
    textureList = this;
}

TextureContainer::~TextureContainer() {
    if (pddsTexture) pddsTexture->Release();
    pddsTexture = nullptr;
    std::free(pPixels);
    pPixels = nullptr;
    if (textureList == this) {
        textureList = pNext;
    } else {
        for (TextureContainer* t = textureList; t; t = t->pNext)
            if (t->pNext == this) {
                t->pNext = pNext;
                break;
            }
    }
}

namespace {

// In the order of ImageFormat.
const char* const kImageExtensions[] = {".bmp", ".tga", ".jpg", ".png", ".pcx"};

}  // namespace

bool ImageFormatOfName(const char* name, ImageFormat* format) {
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    if (!dot) return false;
    for (int i = 0; i < 5; ++i)
        if (strcasecmp(dot, kImageExtensions[i]) == 0) {
            if (format) *format = static_cast<ImageFormat>(i);
            return true;
        }
    return false;
}

HRESULT TextureContainer::LoadImageData() {
    ImageFormat format;
    if (!ImageFormatOfName(strName, &format)) return E_NOTIMPL;

    char low[kTextureNameSize + 8];
    const char* chosen = strName;
    if (lowTextures) {
        // The name with its last four characters (the extension) replaced
        // by "_256" and the extension in lower case.
        size_t length = std::strlen(strName);
        size_t keep = length >= 4 ? length - 4 : 0;
        std::memcpy(low, strName, keep);
        std::strcpy(low + keep, "_256");
        std::strcat(low, kImageExtensions[static_cast<int>(format)]);
        if (MemoryFile* candidate = OpenDataFile(low)) {
            MemClose(candidate);
            chosen = low;
        }
    }
    switch (format) {
    case ImageFormat::Bmp: return LoadBMPFile(chosen);
    case ImageFormat::Tga: return LoadTGAFile(chosen);
    case ImageFormat::Jpg: return LoadJPGFile(chosen);
    case ImageFormat::Png: return LoadPNGFile(chosen);
    default: return LoadPCXFile(chosen);
    }
}

namespace {

DWORD PowerOfTwoAtLeast(DWORD value) {
    DWORD power = 1;
    while (power < value && power < 0x80000000u) power <<= 1;
    return power;
}

int LowestSetBit(DWORD mask) {
    int bit = 0;
    while (bit < 32 && !(mask & (1u << bit))) ++bit;
    return bit;
}

int HighestSetBit(DWORD mask) {
    int bit = 31;
    while (bit >= 0 && !(mask & (1u << bit))) --bit;
    return bit;
}

struct ChannelShift {
    int place;
    int narrow;
};

ChannelShift ShiftsOf(DWORD mask) {
    if (!mask) return {0, 8};
    int low = LowestSetBit(mask);
    int narrow = 8 - (HighestSetBit(mask) - low + 1);
    return {low, narrow < 0 ? 0 : narrow};
}

DWORD PlaceChannel(DWORD byte, ChannelShift shift, DWORD mask) {
    return ((byte >> shift.narrow) << shift.place) & mask;
}

}  // namespace

void TextureSurfaceSize(const D3DDEVICEDESC7& caps, DWORD width, DWORD height, DWORD* surfaceWidth,
                        DWORD* surfaceHeight) {
    DWORD textureCaps = caps.dpcTriCaps.dwTextureCaps;
    if (textureCaps & D3DPTEXTURECAPS_POW2) {
        width = PowerOfTwoAtLeast(width);
        height = PowerOfTwoAtLeast(height);
    }
    DWORD maxWidth = caps.dwMaxTextureWidth ? caps.dwMaxTextureWidth : 256;
    DWORD maxHeight = caps.dwMaxTextureHeight ? caps.dwMaxTextureHeight : 256;
    if (width > maxWidth) width = maxWidth;
    if (height > maxHeight) height = maxHeight;
    if (textureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
        DWORD side = width > height ? width : height;
        width = height = side;
    }
    *surfaceWidth = width;
    *surfaceHeight = height;
}

DWORD ConvertPixelWord(DWORD word, const DDPIXELFORMAT& format) {
    DWORD red = word >> 24, green = (word >> 16) & 255, blue = (word >> 8) & 255, alpha = word & 255;
    return PlaceChannel(red, ShiftsOf(format.dwRBitMask), format.dwRBitMask) +
           PlaceChannel(green, ShiftsOf(format.dwGBitMask), format.dwGBitMask) +
           PlaceChannel(blue, ShiftsOf(format.dwBBitMask), format.dwBBitMask) +
           PlaceChannel(alpha, ShiftsOf(format.dwRGBAlphaBitMask), format.dwRGBAlphaBitMask);
}

HRESULT CALLBACK TextureSearchCallback(DDPIXELFORMAT* pddpf, void* param) {
    auto* info = static_cast<TextureSearchInfo*>(param);
    if (!pddpf || !info) return DDENUMRET_OK;
    if (pddpf->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV)) return DDENUMRET_OK;
    if (info->bUsePalette) {
        if (!(pddpf->dwFlags & DDPF_PALETTEINDEXED8)) return DDENUMRET_OK;
        std::memcpy(info->pddpf, pddpf, sizeof(DDPIXELFORMAT));
        info->bFoundGoodFormat = TRUE;
        return DDENUMRET_CANCEL;
    }
    if (pddpf->dwRGBBitCount < 16) return DDENUMRET_OK;
    if (pddpf->dwFourCC != 0) return DDENUMRET_OK;
    if (pddpf->dwRGBAlphaBitMask == 0x0000F000) return DDENUMRET_OK;
    if (info->bUseAlpha == TRUE && !(pddpf->dwFlags & DDPF_ALPHAPIXELS)) return DDENUMRET_OK;
    if (info->bUseAlpha == FALSE && (pddpf->dwFlags & DDPF_ALPHAPIXELS)) return DDENUMRET_OK;
    if (pddpf->dwRGBBitCount == info->dwDesiredBPP) {
        std::memcpy(info->pddpf, pddpf, sizeof(DDPIXELFORMAT));
        info->bFoundGoodFormat = TRUE;
        return DDENUMRET_CANCEL;
    }
    return DDENUMRET_OK;
}

HRESULT TextureContainer::Restore(LPDIRECT3DDEVICE7 device) {
    if (pddsTexture) {
        pddsTexture->Release();
        pddsTexture = nullptr;
    }
    if (!device) return E_INVALIDARG;
    D3DDEVICEDESC7 caps;
    std::memset(&caps, 0, sizeof caps);
    if (FAILED(device->GetCaps(&caps))) return E_FAIL;

    DDSURFACEDESC2 description;
    InitSurfaceDesc(&description, 0, 0);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.dwTextureStage = dwStage;
    if (IsEqualGUID(caps.deviceGUID, IID_IDirect3DHALDevice) ||
        IsEqualGUID(caps.deviceGUID, IID_IDirect3DTnLHalDevice))
        description.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    TextureSurfaceSize(caps, dwWidth, dwHeight, &description.dwWidth, &description.dwHeight);

    TextureSearchInfo info;
    info.dwDesiredBPP = dwSourceBits == 24 ? 32 : dwSourceBits;
    info.bUseAlpha = bAlpha;
    info.bUsePalette = dwSourceBits <= 8;
    info.bFoundGoodFormat = FALSE;
    info.pddpf = &description.ddpfPixelFormat;
    device->EnumTextureFormats(TextureSearchCallback, &info);
    if (!info.bFoundGoodFormat) {
        info.bUsePalette = FALSE;
        info.dwDesiredBPP = 16;
        device->EnumTextureFormats(TextureSearchCallback, &info);
        if (!info.bFoundGoodFormat) return E_FAIL;
    }

    LPDIRECTDRAWSURFACE7 target = nullptr;
    if (FAILED(device->GetRenderTarget(&target)) || !target) return E_FAIL;
    LPDIRECTDRAW7 directDraw = nullptr;
    HRESULT got = target->GetDDInterface(reinterpret_cast<void**>(&directDraw));
    target->Release();
    if (FAILED(got) || !directDraw) return E_FAIL;
    HRESULT made = directDraw->CreateSurface(&description, &pddsTexture, nullptr);
    directDraw->Release();
    if (FAILED(made)) {
        pddsTexture = nullptr;
        return made;
    }
    if (pPixels) return CopyPixelsToSurface();
    return 0;
}

HRESULT TextureContainer::CopyPixelsToSurface() {
    if (!pddsTexture || !pPixels) return E_FAIL;
    LPDIRECTDRAW7 directDraw = nullptr;
    if (FAILED(pddsTexture->GetDDInterface(reinterpret_cast<void**>(&directDraw))) || !directDraw)
        return E_FAIL;
    DDSURFACEDESC2 description;
    InitSurfaceDesc(&description, 0, 0);
    pddsTexture->GetSurfaceDesc(&description);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    description.ddsCaps.dwCaps2 = 0;
    description.dwWidth = dwWidth;
    description.dwHeight = dwHeight;
    LPDIRECTDRAWSURFACE7 temporary = nullptr;
    if (FAILED(directDraw->CreateSurface(&description, &temporary, nullptr)) || !temporary) {
        directDraw->Release();
        return 0;
    }

    DDSURFACEDESC2 locked;
    InitSurfaceDesc(&locked, 0, 0);
    HRESULT lock;
    // A surface the driver still draws on is waited for, but not forever.
    int tries = 0;
    while ((lock = temporary->Lock(nullptr, &locked, 0, nullptr)) == DDERR_WASSTILLDRAWING &&
           ++tries < 100000) {
    }
    if (FAILED(lock) || !locked.lpSurface) {
        temporary->Release();
        directDraw->Release();
        return FAILED(lock) ? lock : E_FAIL;
    }
    const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
    bool wide = format.dwRGBBitCount == 32;
    if (!wide && format.dwRGBBitCount != 16) {
        // Only 16- and 32-bit words are written; anything else stays untouched.
        temporary->Unlock(nullptr);
        temporary->Release();
        directDraw->Release();
        return E_FAIL;
    }
    auto* rows = static_cast<uint8_t*>(locked.lpSurface);
    for (DWORD y = 0; y < dwHeight; ++y) {
        uint8_t* row = rows + static_cast<size_t>(locked.lPitch) * y;
        for (DWORD x = 0; x < dwWidth; ++x) {
            DWORD value = ConvertPixelWord(pPixels[static_cast<size_t>(y) * dwWidth + x], format);
            if (wide) {
                std::memcpy(row + 4 * x, &value, 4);
            } else {
                uint16_t half = static_cast<uint16_t>(value);
                std::memcpy(row + 2 * x, &half, 2);
            }
        }
    }
    temporary->Unlock(nullptr);
    pddsTexture->Blt(nullptr, temporary, nullptr, DDBLT_WAIT, nullptr);
    temporary->Release();
    directDraw->Release();
    return 0;
}
