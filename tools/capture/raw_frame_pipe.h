// Captured frames as raw pixels down a pipe to ffmpeg: each frame's words in
// memory order, B G R and an unused byte on this little-endian machine
// (ffmpeg's "bgr0"), top row first.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "platform/capture/frame_writer.h"

namespace velmora::tools {

static_assert(std::endian::native == std::endian::little, "frames go to ffmpeg as bgr0");
constexpr const char* kRawPixelFormat = "bgr0";

class RawFramePipe : public platform::FrameWriter {
public:
    RawFramePipe(int descriptor, int width, int height)
        : descriptor_(descriptor), width_(width), height_(height) {}
    bool WriteFrame(const uint32_t* pixels, int width, int height) override;
    // Why the last write failed; empty while none has.
    const std::string& failure() const { return failure_; }

private:
    int descriptor_;
    int width_, height_;
    std::string failure_;
};

}  // namespace velmora::tools
