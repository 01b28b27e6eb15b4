// The display's capture of presented frames: into the writer the options hand
// over, or as numbered PNG files into their capture folder.
// A film capture (on the virtual clock) makes a film at the clock's rate: a
// picture held through a sleep is repeated for the whole of it, and Finish
// covers the time up to the clock's end, so the film lasts as long as the
// mix that follows the same clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/capture/frame_writer.h"

namespace velmora::platform {

struct CaptureOptions {
    std::shared_ptr<FrameWriter> frameWriter;  // takes the frames when set
    std::string directory;                     // else PNG files here; empty: no capture
    bool film = false;                         // a film at the virtual clock's rate
};

class FrameCapture {
public:
    explicit FrameCapture(const CaptureOptions& options);
    bool enabled() const { return writer_ != nullptr && !stopped_; }
    // The buffer the next frame is read back into, width x height words.
    uint32_t* FrameBuffer(int width, int height);
    // The frame in FrameBuffer is presented now.
    void FramePresented();
    // A film's last picture repeated up to the clock's time; nothing is taken after.
    void Finish();
    // Frames handed to the writer, repeats included.
    uint64_t framesWritten() const { return written_; }

private:
    bool FillTo(uint64_t filmFrame, int width, int height);

    std::shared_ptr<FrameWriter> writer_;
    bool film_ = false;
    bool stopped_ = false;
    std::vector<uint32_t> current_, last_;
    int width_ = 0, height_ = 0;          // of current_
    int lastWidth_ = 0, lastHeight_ = 0;  // of last_, 0 before the first frame
    uint64_t written_ = 0;
};

}  // namespace velmora::platform
