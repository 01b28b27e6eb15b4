// The capture's progress on standard error, only when that is a terminal:
// film frames done of those expected, show time, speed in show seconds per
// second, and the time left; redrawn a few times a second in one line.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/win32/clock_control.h"

namespace velmora::capture {

class ProgressBar {
public:
    explicit ProgressBar(const platform::FrameRate& rate);
    // The show's length as far as it is known; the film frames expected follow.
    void ExpectShowMilliseconds(int64_t milliseconds);
    void Update(uint64_t framesDone);
    // Ends the line, when one was drawn.
    void Finish();

private:
    void Draw(uint64_t framesDone);

    platform::FrameRate rate_;
    bool terminal_;
    bool drawn_ = false;
    uint64_t expected_ = 0;
    uint64_t lastDone_ = 0;
    std::chrono::steady_clock::time_point start_, lastDrawn_;
};

}  // namespace velmora::capture
