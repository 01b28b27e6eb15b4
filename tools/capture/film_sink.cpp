#include "film_sink.h"

#include <chrono>

#include "app/engine_state.h"
#include "interrupt.h"
#include "show_length.h"

namespace velmora::capture {

bool FilmSink::Stopping() {
    if (InterruptSignal() == 0) return false;
    exitRequested = 1;
    return true;
}

template <typename Store>
bool FilmSink::Take(Store store) {
    if (Stopping()) return false;
    auto start = std::chrono::steady_clock::now();
    const bool stored = store();
    secondsStoring_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!stored) {
        failed_ = InterruptSignal() == 0;
        exitRequested = 1;
        return false;
    }
    ++frames_;
    // The script has been read by the first frame.
    if (!estimated_) {
        estimated_ = true;
        progress_.ExpectShowMilliseconds(EstimatedShowMilliseconds());
    }
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
