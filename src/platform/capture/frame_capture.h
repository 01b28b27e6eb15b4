// Writes presented frames as numbered PNG files into the capture folder of
// the platform settings: DIR/frame_000000.png, DIR/frame_000001.png and so on.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::platform {

// Writes width x height 0xAARRGGBB words, top row first, as an opaque RGB PNG.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

class FrameCapture {
public:
    explicit FrameCapture(std::string directory) : directory_(std::move(directory)) {}
    bool enabled() const { return !directory_.empty(); }
    // Writes the next numbered frame; false (said once on standard error) when it cannot.
    bool WriteFrame(const uint32_t* pixels, int width, int height);
    int framesWritten() const { return next_; }

private:
    std::string directory_;
    int next_ = 0;
    bool complained_ = false;
};

}  // namespace velmora::platform
