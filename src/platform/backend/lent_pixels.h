// Device contexts that a drawing surface lends for text: between GetDC and
// ReleaseDC a handle stands for the surface's pixels. The DirectDraw stand-in
// lends them and the Win32 stand-in's GDI text writes into them, so neither
// knows the other: they meet here.
#pragma once

#include <cstdint>

#include "platform/backend/pixel_masks.h"

namespace velmora::platform {

struct LentPixels {
    void* bits = nullptr;  // top row first
    long pitch = 0;        // bytes from one row to the next
    uint32_t width = 0;
    uint32_t height = 0;
    PixelMasks masks;
};

// Answers for a handle: true with its pixels while it is lent.
using LentPixelsLookup = bool (*)(const void* handle, LentPixels& pixels);

// The lender's lookup, in force from its first lending on.
void LendPixels(LentPixelsLookup lookup);
// The pixels behind handle while it is lent; false for any other handle, and
// while nothing lends.
bool PixelsOfLentHandle(const void* handle, LentPixels& pixels);

}  // namespace velmora::platform
