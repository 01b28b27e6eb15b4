#include "film_sink.h"

#include <chrono>

#include "app/engine_state.h"
#include "interrupt.h"
#include "show_length.h"

namespace velmora::capture {

namespace {

// A second's pause follows the show's end.
constexpr int64_t kPauseAfterShow = 1000;

}  // namespace

FilmSink::FilmSink(std::shared_ptr<platform::FrameWriter> store, ProgressBar& progress,
                   const platform::FrameRate& rate, int64_t longestShow)
    : store_(std::move(store)), progress_(progress), longestShow_(longestShow) {
    // The frames of the longest show and its pause, one more for the rounding.
    const unsigned __int128 milliseconds = static_cast<unsigned __int128>(longestShow + kPauseAfterShow);
    mostFrames_ = static_cast<uint64_t>(milliseconds * rate.numerator / (1000u * rate.denominator)) + 1;
}

bool FilmSink::Stopping() {
    if (InterruptSignal() == 0) return false;
    exitRequested = 1;
    return true;
}

template <typename Store>
bool FilmSink::Take(Store store) {
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
    const bool stored = store();
    secondsStoring_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
    return Take([&] { return store_->WriteFrame(pixels, width, height); });
}

bool FilmSink::RepeatFrame(const uint32_t* pixels, int width, int height) {
    return Take([&] { return store_->RepeatFrame(pixels, width, height); });
}

}  // namespace velmora::capture
