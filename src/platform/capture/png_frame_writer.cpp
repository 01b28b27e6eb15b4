// Captured frames as numbered PNG files.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/capture/frame_writer.h"
#include "platform/image/png_writer.h"

namespace velmora::platform {

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
