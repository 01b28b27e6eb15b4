#include "platform/ddraw/pixel_format.h"

#include <cstring>

#include "platform/backend/pixel_masks.h"

namespace velmora::platform::ddraw {

namespace {

PixelMasks MasksOf(const DDPIXELFORMAT& format) {
    PixelMasks masks;
    masks.bits = format.dwRGBBitCount == 16 ? 16 : 32;
    masks.red = format.dwRBitMask;
    masks.green = format.dwGBitMask;
    masks.blue = format.dwBBitMask;
    masks.alpha = (format.dwFlags & DDPF_ALPHAPIXELS) ? format.dwRGBAlphaBitMask : 0;
    return masks;
}

}  // namespace

DDPIXELFORMAT RgbFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
    DDPIXELFORMAT format;
    std::memset(&format, 0, sizeof format);
    format.dwSize = kPixelFormatSize;
    format.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
    format.dwRGBBitCount = bits;
    format.dwRBitMask = red;
    format.dwGBitMask = green;
    format.dwBBitMask = blue;
    format.dwRGBAlphaBitMask = alpha;
    return format;
}

DDPIXELFORMAT DisplayFormat(DWORD bits) {
    if (bits == 16) return RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0);
    return RgbFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

bool IsSupportedRgb(const DDPIXELFORMAT& format) {
    if (!(format.dwFlags & DDPF_RGB)) return false;
    if (format.dwFlags & (DDPF_FOURCC | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8)) return false;
    return format.dwRGBBitCount == 16 || format.dwRGBBitCount == 32;
}

uint32_t ToArgb(const uint8_t* pixel, const DDPIXELFORMAT& format) {
    return MaskedPixelToArgb(pixel, MasksOf(format));
}

bool TexelLayoutOf(const DDPIXELFORMAT& format, TexelLayout* layout) {
    if (!IsSupportedRgb(format) || !layout) return false;
    struct Known {
        DWORD bits, red, green, blue, alpha;
        TexelLayout layout;
    };
    static const Known known[] = {
        {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, TexelLayout::Argb8888},
        {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, TexelLayout::Xrgb8888},
        {16, 0xF800, 0x07E0, 0x001F, 0, TexelLayout::Rgb565},
        {16, 0x7C00, 0x03E0, 0x001F, 0x8000, TexelLayout::Argb1555},
        {16, 0x7C00, 0x03E0, 0x001F, 0, TexelLayout::Xrgb1555},
        {16, 0x0F00, 0x00F0, 0x000F, 0xF000, TexelLayout::Argb4444},
    };
    DWORD alpha = (format.dwFlags & DDPF_ALPHAPIXELS) ? format.dwRGBAlphaBitMask : 0;
    for (const Known& k : known)
        if (format.dwRGBBitCount == k.bits && format.dwRBitMask == k.red && format.dwGBitMask == k.green &&
            format.dwBBitMask == k.blue && alpha == k.alpha) {
            *layout = k.layout;
            return true;
        }
    return false;
}

void FromArgb(uint32_t argb, uint8_t* pixel, const DDPIXELFORMAT& format) {
    ArgbToMaskedPixel(argb, pixel, MasksOf(format));
}

}  // namespace velmora::platform::ddraw
