#include "raw_frame_pipe.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "interrupt.h"

namespace velmora::tools {

bool RawFramePipe::WriteFrame(const uint32_t* pixels, int width, int height) {
    if (!failure_.empty()) return false;
    // ffmpeg was told one size; anything else would shear every frame after it.
    if (width != width_ || height != height_) {
        failure_ = "a frame of " + std::to_string(width) + "x" + std::to_string(height) + " in a " +
                   std::to_string(width_) + "x" + std::to_string(height_) + " capture";
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(pixels);
    size_t left = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    while (left > 0) {
        ssize_t written = write(descriptor_, bytes, left);
        if (written < 0 && errno == EINTR && InterruptSignal() == 0) continue;
        if (written < 0) {
            failure_ = errno == EPIPE ? "ffmpeg stopped taking frames" : std::string(std::strerror(errno));
            break;
        }
        bytes += written;
        left -= static_cast<size_t>(written);
    }
    return failure_.empty();
}

}  // namespace velmora::tools
