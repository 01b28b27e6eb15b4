#include "film_sink.h"

#include <time.h>

#include <chrono>

#include "interrupt.h"
#include "platform/ddraw/display_objects.h"
#include "platform/setup/display_report.h"
#include "show_length.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

// A second's pause follows the show's end.
constexpr int64_t kPauseAfterShow = 1000;

double ProcessorSeconds() {
    timespec now{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0) return 0.0;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

FilmSink::FilmSink(std::shared_ptr<platform::FrameWriter> store, ProgressBar& progress,
                   const platform::FrameRate& rate, int64_t longestShow)
    : store_(std::move(store)), progress_(progress), longestShow_(longestShow) {
    // The frames of the longest show and its pause, one more for the rounding.
    const unsigned __int128 milliseconds = static_cast<unsigned __int128>(longestShow + kPauseAfterShow);
    mostFrames_ = static_cast<uint64_t>(milliseconds * rate.numerator / (1000u * rate.denominator)) + 1;
}

void FilmSink::TimeScenes(const platform::FrameRate& rate) { timingRate_ = rate; }

bool FilmSink::Stopping() {
    if (InterruptSignal() == 0) return false;
    exitRequested = 1;
    return true;
}

template <typename Store>
bool FilmSink::Take(Store store, bool drawn) {
    if (Stopping()) return false;
    // The script has been read by the first frame.
    if (!estimated_) {
        estimated_ = true;
        const int64_t estimate = EstimatedShowMilliseconds();
        if (estimate - kPauseAfterShow > longestShow_) {
            timelineTooLong_ = estimate - kPauseAfterShow;
            exitRequested = 1;
            return false;
        }
        progress_.ExpectShowMilliseconds(estimate);
    }
    if (frames_ >= mostFrames_) {
        ranTooLong_ = true;
        exitRequested = 1;
        return false;
    }
    auto start = std::chrono::steady_clock::now();
    if (timingRate_ && timed_ && drawn) {
        const platform::DrawCounters now = platform::DisplayDrawCounters();
        platform::DrawCounters grown;
        grown.draws = now.draws - lastCounters_.draws;
        grown.stateChanges = now.stateChanges - lastCounters_.stateChanges;
        grown.bytesStreamed = now.bytesStreamed - lastCounters_.bytesStreamed;
        grown.bytesKept = now.bytesKept - lastCounters_.bytesKept;
        const double frameSeconds = static_cast<double>(timingRate_->denominator) / timingRate_->numerator;
        timings_.FrameDrawn(PlayingScenes(), static_cast<double>(frames_) * frameSeconds, frameSeconds,
                            std::chrono::duration<double>(start - lastEnd_).count(),
                            ProcessorSeconds() - lastProcessor_, grown);
    }
    const bool stored = store();
    const auto end = std::chrono::steady_clock::now();
    secondsStoring_ += std::chrono::duration<double>(end - start).count();
    if (timingRate_) {
        timed_ = true;
        lastEnd_ = end;
        lastProcessor_ = ProcessorSeconds();
        lastCounters_ = platform::DisplayDrawCounters();
    }
    if (!stored) {
        failed_ = InterruptSignal() == 0;
        exitRequested = 1;
        return false;
    }
    ++frames_;
    progress_.Update(frames_);
    return true;
}

bool FilmSink::WriteFrame(const uint32_t* pixels, int width, int height) {
    return Take([&] { return store_->WriteFrame(pixels, width, height); }, true);
}

bool FilmSink::RepeatFrame(const uint32_t* pixels, int width, int height) {
    return Take([&] { return store_->RepeatFrame(pixels, width, height); }, false);
}

}  // namespace velmora::tools
