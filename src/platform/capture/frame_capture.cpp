#include "platform/capture/frame_capture.h"

#include <FreeImage.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

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

bool FrameCapture::WriteFrame(const uint32_t* pixels, int width, int height) {
    if (!enabled()) return false;
    if (next_ == 0) {
        std::error_code ignored;
        std::filesystem::create_directories(directory_, ignored);
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", next_);
    bool written = WritePng(directory_ + name, pixels, width, height);
    if (written) {
        ++next_;
    } else if (!complained_) {
        std::fprintf(stderr, "velmora: cannot write captured frames to %s\n", directory_.c_str());
        complained_ = true;
    }
    return written;
}

}  // namespace velmora::platform
