#include "platform/backend/lent_pixels.h"

namespace velmora::platform {

namespace {

LentPixelsLookup& Lookup() {
    static LentPixelsLookup lookup = nullptr;
    return lookup;
}

}  // namespace

void LendPixels(LentPixelsLookup lookup) { Lookup() = lookup; }

bool PixelsOfLentHandle(const void* handle, LentPixels& pixels) {
    LentPixelsLookup lookup = Lookup();
    return handle && lookup && lookup(handle, pixels);
}

}  // namespace velmora::platform
