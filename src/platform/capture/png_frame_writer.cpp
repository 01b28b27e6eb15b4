// Captured frames as numbered PNG files, written with FreeImage.
#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/capture/frame_writer.h"

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

namespace {

class PngFrameWriter : public FrameWriter {
public:
    explicit PngFrameWriter(std::string directory) : directory_(std::move(directory)) {}

    bool WriteFrame(const uint32_t* pixels, int width, int height) override {
        if (next_ == 0) {
            std::error_code ignored;
            std::filesystem::create_directories(directory_, ignored);
        }
        return Done(WritePng(Name(next_), pixels, width, height));
    }

    // The file before, copied: the same bytes, without compressing them again.
    bool RepeatFrame(const uint32_t* pixels, int width, int height) override {
        if (next_ == 0 || !lastWritten_) return WriteFrame(pixels, width, height);
        std::error_code failed;
        std::filesystem::copy_file(Name(next_ - 1), Name(next_),
                                   std::filesystem::copy_options::overwrite_existing, failed);
        return Done(!failed);
    }

private:
    std::string Name(int number) const {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06d.png", number);
        return directory_ + name;
    }

    // A frame that cannot be written keeps its number for the next one.
    bool Done(bool written) {
        lastWritten_ = written;
        if (written) {
            ++next_;
        } else if (!complained_) {
            std::fprintf(stderr, "velmora: cannot write captured frames to %s\n", directory_.c_str());
            complained_ = true;
        }
        return written;
    }

    std::string directory_;
    int next_ = 0;
    bool lastWritten_ = false;
    bool complained_ = false;
};

}  // namespace

std::unique_ptr<FrameWriter> OpenPngFrameWriter(const std::string& directory) {
    return std::make_unique<PngFrameWriter>(directory);
}

}  // namespace velmora::platform
