#include "progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace velmora::tools {

ProgressBar::ProgressBar(const platform::FrameRate& rate, std::FILE* out)
    : rate_(rate), out_(out), terminal_(isatty(fileno(out)) == 1), start_(std::chrono::steady_clock::now()) {}

void ProgressBar::ExpectShowMilliseconds(int64_t milliseconds) {
    if (milliseconds <= 0) return;
    unsigned __int128 frames = static_cast<unsigned __int128>(milliseconds) * rate_.numerator;
    unsigned __int128 perFrame = static_cast<unsigned __int128>(1000u) * rate_.denominator;
    expected_ = static_cast<uint64_t>((frames + perFrame - 1) / perFrame);
}

void ProgressBar::Update(uint64_t framesDone) {
    lastDone_ = framesDone;
    if (!terminal_) {
        PrintTenths(framesDone);
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDrawn_ < std::chrono::milliseconds(200)) return;
    lastDrawn_ = now;
    Draw(framesDone);
}

void ProgressBar::Draw(uint64_t framesDone) {
    const double perSecond = static_cast<double>(rate_.numerator) / static_cast<double>(rate_.denominator);
    const double showSeconds = static_cast<double>(framesDone) / perSecond;
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double speed = wallSeconds > 0.0 ? showSeconds / wallSeconds : 0.0;
    // A show that runs past the guess has no known end.
    const bool known = expected_ > 0 && expected_ >= framesDone;
    const int width = 24;
    int filled = known ? static_cast<int>(width * framesDone / expected_) : width;
    char bar[width + 1];
    for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : (known ? '.' : '?');
    bar[width] = '\0';
    char left[32] = "?";
    if (known && speed > 0.0) {
        double seconds = (static_cast<double>(expected_ - framesDone) / perSecond) / speed;
        std::snprintf(left, sizeof left, "%d:%02d", static_cast<int>(seconds) / 60, static_cast<int>(seconds) % 60);
    }
    if (known)
        std::fprintf(out_, "\r[%s] frame %llu of ~%llu  %.1f s of show  %.2fx  %s left   ", bar,
                     static_cast<unsigned long long>(framesDone), static_cast<unsigned long long>(expected_),
                     showSeconds, speed, left);
    else
        std::fprintf(out_, "\r[%s] frame %llu  %.1f s of show  %.2fx   ", bar,
                     static_cast<unsigned long long>(framesDone), showSeconds, speed);
    std::fflush(out_);
    drawn_ = true;
}

void ProgressBar::PrintTenths(uint64_t framesDone) {
    if (expected_ == 0) return;
    // Past the guess the steps go on, each a tenth of it.
    const unsigned __int128 tenths = static_cast<unsigned __int128>(framesDone) * 10 / expected_;
    if (tenths <= tenthsPrinted_) return;
    tenthsPrinted_ = static_cast<uint64_t>(tenths);
    const double perSecond = static_cast<double>(rate_.numerator) / static_cast<double>(rate_.denominator);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(out_, "velmora-capture: %llu%%, frame %llu of ~%llu, %.1f s of show in %.1f s\n",
                 static_cast<unsigned long long>(tenthsPrinted_ * 10), static_cast<unsigned long long>(framesDone),
                 static_cast<unsigned long long>(expected_), static_cast<double>(framesDone) / perSecond,
                 wallSeconds);
    std::fflush(out_);
}

void ProgressBar::Finish() {
    if (!terminal_ || !drawn_) return;
    expected_ = lastDone_;
    Draw(lastDone_);
    std::fputc('\n', out_);
}

}  // namespace velmora::tools
