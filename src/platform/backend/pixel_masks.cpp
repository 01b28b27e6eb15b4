#include "platform/backend/pixel_masks.h"

#include <cstring>

namespace velmora::platform {

namespace {

int LowestBit(uint32_t mask) {
    int shift = 0;
    while (shift < 32 && !(mask & (1u << shift))) ++shift;
    return shift;
}

int BitCount(uint32_t mask) {
    int count = 0;
    for (; mask; mask &= mask - 1) ++count;
    return count;
}

// The channel of value under mask, widened to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask) {
    if (!mask) return 0;
    int width = BitCount(mask);
    uint32_t bits = (value & mask) >> LowestBit(mask);
    if (width >= 8) return bits >> (width - 8);
    uint32_t widened = 0;
    for (int filled = 0; filled < 8; filled += width) widened = (widened << width) | bits;
    int total = ((8 + width - 1) / width) * width;
    return (widened >> (total - 8)) & 255;
}

uint32_t Place(uint32_t byte, uint32_t mask) {
    if (!mask) return 0;
    int width = BitCount(mask);
    uint32_t narrowed = width >= 8 ? byte << (width - 8) : byte >> (8 - width);
    return (narrowed << LowestBit(mask)) & mask;
}

}  // namespace

uint32_t MaskedPixelToArgb(const uint8_t* pixel, const PixelMasks& masks) {
    uint32_t value;
    if (masks.bits == 16) {
        uint16_t word;
        std::memcpy(&word, pixel, 2);
        value = word;
    } else {
        std::memcpy(&value, pixel, 4);
    }
    uint32_t alpha = masks.alpha ? Channel(value, masks.alpha) : 255;
    return alpha << 24 | Channel(value, masks.red) << 16 | Channel(value, masks.green) << 8 |
           Channel(value, masks.blue);
}

void ArgbToMaskedPixel(uint32_t argb, uint8_t* pixel, const PixelMasks& masks) {
    uint32_t value = Place((argb >> 16) & 255, masks.red) | Place((argb >> 8) & 255, masks.green) |
                     Place(argb & 255, masks.blue);
    if (masks.alpha) value |= Place(argb >> 24, masks.alpha);
    if (masks.bits == 16) {
        uint16_t word = static_cast<uint16_t>(value);
        std::memcpy(pixel, &word, 2);
    } else {
        std::memcpy(pixel, &value, 4);
    }
}

}  // namespace velmora::platform
