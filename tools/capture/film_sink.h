// The capture tool's writer of film frames: hands each to the writer that
// stores it (the pipe to ffmpeg or the PNG files), counts it for the
// progress bar, and ends the show as Escape would when the capture is
// interrupted, the frames can no longer be stored, or the show is longer
// than the capture takes: by its timeline, told at the first frame, or by
// the frames filmed, for a show that loops on and never ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/capture/frame_writer.h"
#include "platform/backend/draw_counters.h"
#include "progress_bar.h"
#include "scene_timings.h"

namespace velmora::tools {

class FilmSink : public platform::FrameWriter {
public:
    // longestShow: the most milliseconds of timeline the capture films.
    FilmSink(std::shared_ptr<platform::FrameWriter> store, ProgressBar& progress, const platform::FrameRate& rate,
             int64_t longestShow);
    bool WriteFrame(const uint32_t* pixels, int width, int height) override;
    bool RepeatFrame(const uint32_t* pixels, int width, int height) override;
    uint64_t frames() const { return frames_; }
    // Seconds spent handing frames to the store: waiting for ffmpeg to take
    // them, or compressing PNG files.
    double secondsStoring() const { return secondsStoring_; }
    // True once a frame could not be stored (an interruption aside).
    bool failed() const { return failed_; }
    // The timeline's length when it was longer than the capture takes; 0 when not.
    int64_t timelineTooLong() const { return timelineTooLong_; }
    // True when the show was still running after as many frames as the
    // longest show has.
    bool ranTooLong() const { return ranTooLong_; }
    // From the next frame on, the time each frame took to draw (from the end
    // of the frame before to this one's handing over) goes into a profile of
    // the scene windows, the film being at rate frames a second.
    void TimeScenes(const platform::FrameRate& rate);
    const SceneTimings& sceneTimings() const { return timings_; }

private:
    // drawn: a new picture, not a held one again.
    template <typename Store>
    bool Take(Store store, bool drawn);
    bool Stopping();

    std::shared_ptr<platform::FrameWriter> store_;
    ProgressBar& progress_;
    int64_t longestShow_;
    uint64_t mostFrames_;
    uint64_t frames_ = 0;
    int64_t timelineTooLong_ = 0;
    bool ranTooLong_ = false;
    double secondsStoring_ = 0.0;
    bool estimated_ = false;
    bool failed_ = false;

    std::optional<platform::FrameRate> timingRate_;
    SceneTimings timings_;
    bool timed_ = false;  // lastEnd_ and the rest hold the end of a frame
    std::chrono::steady_clock::time_point lastEnd_;
    double lastProcessor_ = 0.0;
    platform::DrawCounters lastCounters_;
};

}  // namespace velmora::tools
