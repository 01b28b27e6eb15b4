// The capture tool's writer of film frames: hands each to the writer that
// stores it (the pipe to ffmpeg or the PNG files), counts it for the
// progress bar, and ends the show as Escape would when the capture is
// interrupted or the frames can no longer be stored.
#pragma once

#include <memory>

#include "platform/capture/frame_writer.h"
#include "progress_bar.h"

namespace velmora::capture {

class FilmSink : public platform::FrameWriter {
public:
    FilmSink(std::shared_ptr<platform::FrameWriter> store, ProgressBar& progress)
        : store_(std::move(store)), progress_(progress) {}
    bool WriteFrame(const uint32_t* pixels, int width, int height) override;
    bool RepeatFrame(const uint32_t* pixels, int width, int height) override;
    uint64_t frames() const { return frames_; }
    // Seconds spent handing frames to the store: waiting for ffmpeg to take
    // them, or compressing PNG files.
    double secondsStoring() const { return secondsStoring_; }
    // True once a frame could not be stored (an interruption aside).
    bool failed() const { return failed_; }

private:
    template <typename Store>
    bool Take(Store store);
    bool Stopping();

    std::shared_ptr<platform::FrameWriter> store_;
    ProgressBar& progress_;
    uint64_t frames_ = 0;
    double secondsStoring_ = 0.0;
    bool estimated_ = false;
    bool failed_ = false;
};

}  // namespace velmora::capture
