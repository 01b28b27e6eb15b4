#include "platform/ddraw/pixel_format.h"

#include <cstring>

namespace velmora::platform::ddraw {

namespace {

int LowestBit(DWORD mask) {
    int shift = 0;
    while (shift < 32 && !(mask & (1u << shift))) ++shift;
    return shift;
}

int BitCount(DWORD mask) {
    int count = 0;
    for (; mask; mask &= mask - 1) ++count;
    return count;
}

// The channel of value under mask, widened to 8 bits.
uint32_t Channel(uint32_t value, DWORD mask) {
    if (!mask) return 0;
    int width = BitCount(mask);
    uint32_t bits = (value & mask) >> LowestBit(mask);
    if (width >= 8) return bits >> (width - 8);
    uint32_t widened = 0;
    for (int filled = 0; filled < 8; filled += width) widened = (widened << width) | bits;
    int total = ((8 + width - 1) / width) * width;
    return (widened >> (total - 8)) & 255;
}

uint32_t Place(uint32_t byte, DWORD mask) {
    if (!mask) return 0;
    int width = BitCount(mask);
    uint32_t narrowed = width >= 8 ? byte << (width - 8) : byte >> (8 - width);
    return (narrowed << LowestBit(mask)) & mask;
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
    uint32_t value;
    if (format.dwRGBBitCount == 16) {
        uint16_t word;
        std::memcpy(&word, pixel, 2);
        value = word;
    } else {
        std::memcpy(&value, pixel, 4);
    }
    uint32_t alpha = (format.dwFlags & DDPF_ALPHAPIXELS) ? Channel(value, format.dwRGBAlphaBitMask) : 255;
    return alpha << 24 | Channel(value, format.dwRBitMask) << 16 |
           Channel(value, format.dwGBitMask) << 8 | Channel(value, format.dwBBitMask);
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
    uint32_t value = Place((argb >> 16) & 255, format.dwRBitMask) |
                     Place((argb >> 8) & 255, format.dwGBitMask) | Place(argb & 255, format.dwBBitMask);
    if (format.dwFlags & DDPF_ALPHAPIXELS) value |= Place(argb >> 24, format.dwRGBAlphaBitMask);
    if (format.dwRGBBitCount == 16) {
        uint16_t word = static_cast<uint16_t>(value);
        std::memcpy(pixel, &word, 2);
    } else {
        std::memcpy(pixel, &value, 4);
    }
}

}  // namespace velmora::platform::ddraw
