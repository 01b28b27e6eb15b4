// Pictures written as PNG files: captured frames, and the checks' images.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::platform {

// Writes width x height 0xAARRGGBB words, top row first, as an opaque RGB PNG.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

}  // namespace velmora::platform
