// Pixels of 16 or 32 bits laid out by channel masks, as DirectDraw describes
// them, to and from the 0xAARRGGBB words the back ends take.
#pragma once

#include <cstdint>

namespace velmora::platform {

struct PixelMasks {
    uint32_t bits = 32;  // 16 or 32 bits a pixel
    uint32_t red = 0, green = 0, blue = 0;
    uint32_t alpha = 0;  // 0: no alpha channel, pixels read opaque
};

// One pixel as 0xAARRGGBB; channels widen by repeating their bits.
uint32_t MaskedPixelToArgb(const uint8_t* pixel, const PixelMasks& masks);
// 0xAARRGGBB into one pixel; each channel narrows to its mask's width.
void ArgbToMaskedPixel(uint32_t argb, uint8_t* pixel, const PixelMasks& masks);

}  // namespace velmora::platform
