// Pixel formats of the stand-in's surfaces and conversion to and from the
// 0xAARRGGBB words the drawing back end takes.
#pragma once

#include <cstdint>

#include "platform/backend/render_device.h"
#include "platform/ddraw/ddraw.h"

namespace velmora::platform::ddraw {

DDPIXELFORMAT RgbFormat(DWORD bits, DWORD red, DWORD green, DWORD blue, DWORD alpha);
// The display's format at 16 (5-6-5) or 32 (8-8-8 with an unused byte) bits.
DDPIXELFORMAT DisplayFormat(DWORD bits);
// An RGB format of 16 or 32 bits without palette or FourCC: what surfaces may hold.
bool IsSupportedRgb(const DDPIXELFORMAT& format);

// One pixel of the format as 0xAARRGGBB; channels widen by repeating their
// bits, a format without alpha reads opaque.
uint32_t ToArgb(const uint8_t* pixel, const DDPIXELFORMAT& format);

// The texel layout a surface of the format is uploaded in as it stands; false
// for formats that are converted to 0xAARRGGBB words first.
bool TexelLayoutOf(const DDPIXELFORMAT& format, TexelLayout* layout);
void FromArgb(uint32_t argb, uint8_t* pixel, const DDPIXELFORMAT& format);

}  // namespace velmora::platform::ddraw
