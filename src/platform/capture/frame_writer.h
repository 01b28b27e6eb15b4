// Where captured frames go, one call per frame of the capture: numbered PNG
// files here, or a writer of the capture tool's (raw frames for an encoder).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmora::platform {

class FrameWriter {
public:
    virtual ~FrameWriter() = default;
    // Takes the next frame: width x height 0xAARRGGBB words, top row first,
    // alpha meaningless. False when it cannot; no frame is offered after that.
    virtual bool WriteFrame(const uint32_t* pixels, int width, int height) = 0;
    // The same picture as the frame before, again; a writer may do it more
    // cheaply than writing the pixels anew.
    virtual bool RepeatFrame(const uint32_t* pixels, int width, int height) {
        return WriteFrame(pixels, width, height);
    }
};

// DIR/frame_000000.png, DIR/frame_000001.png, ...; the folder is made at the
// first frame. A frame that cannot be written is said once on standard error.
std::unique_ptr<FrameWriter> OpenPngFrameWriter(const std::string& directory);

}  // namespace velmora::platform
