#include "platform/capture/frame_capture.h"

#include "platform/backend/frame_clock.h"

namespace velmora::platform {

FrameCapture::FrameCapture(const CaptureOptions& options) {
    if (options.frameWriter)
        writer_ = options.frameWriter;
    else if (!options.directory.empty())
        writer_ = OpenPngFrameWriter(options.directory);
    film_ = options.film;
}

uint32_t* FrameCapture::FrameBuffer(int width, int height) {
    width_ = width;
    height_ = height;
    current_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    return current_.data();
}

bool FrameCapture::FillTo(uint64_t filmFrame, int width, int height) {
    // Before the first picture the screen is black.
    if (lastWidth_ == 0) {
        lastWidth_ = width;
        lastHeight_ = height;
        last_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
    }
    for (; written_ < filmFrame; ++written_) {
        if (!writer_->RepeatFrame(last_.data(), lastWidth_, lastHeight_)) return false;
    }
    return true;
}

void FrameCapture::FramePresented() {
    if (!enabled() || current_.empty()) return;
    if (film_) {
        if (!FillTo(VirtualClockFilmPosition().frame, width_, height_) ||
            !writer_->WriteFrame(current_.data(), width_, height_)) {
            stopped_ = true;
            return;
        }
    } else if (!writer_->WriteFrame(current_.data(), width_, height_)) {
        // Outside a film a frame that failed is only missing.
        return;
    }
    ++written_;
    current_.swap(last_);
    lastWidth_ = width_;
    lastHeight_ = height_;
}

void FrameCapture::Finish() {
    // The film covers the time up to now, the film frame it is partway into
    // included. A film with no picture at all has no size to fill with.
    if (enabled() && film_ && lastWidth_ > 0) {
        const FilmPosition now = VirtualClockFilmPosition();
        FillTo(now.frame + (now.partway ? 1 : 0), lastWidth_, lastHeight_);
    }
    stopped_ = true;
}

}  // namespace velmora::platform
