// PNG files written with FreeImage, at its fastest compression.
#include <FreeImage.h>

#include "platform/image/png_writer.h"

namespace velmora::platform {

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return false;
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                          FI_RGBA_BLUE_MASK);
    if (!bitmap) return false;
    for (int y = 0; y < height; ++y) {
        // FreeImage keeps the bottom row first.
        BYTE* line = FreeImage_GetScanLine(bitmap, height - 1 - y);
        const uint32_t* source = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            uint32_t p = source[x];
            line[x * 3 + FI_RGBA_RED] = static_cast<BYTE>(p >> 16);
            line[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>(p >> 8);
            line[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(p);
        }
    }
    BOOL saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_SPEED);
    FreeImage_Unload(bitmap);
    return saved != FALSE;
}

}  // namespace velmora::platform
