// The capture's progress on standard error. On a terminal: film frames done
// of those expected, show time, speed in show seconds per second, and the
// time left, redrawn a few times a second in one line. Elsewhere (a log
// file, a pipe) one line at every tenth of the frames expected.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "platform/backend/frame_clock.h"

namespace velmora::tools {

class ProgressBar {
public:
    // Written to out (standard error by default), drawn as a bar when out is a terminal.
    explicit ProgressBar(const platform::FrameRate& rate, std::FILE* out = stderr);
    // The show's length as far as it is known; the film frames expected follow.
    void ExpectShowMilliseconds(int64_t milliseconds);
    void Update(uint64_t framesDone);
    // Ends the line, when one was drawn.
    void Finish();

private:
    void Draw(uint64_t framesDone);
    void PrintTenths(uint64_t framesDone);

    platform::FrameRate rate_;
    std::FILE* out_;
    bool terminal_;
    bool drawn_ = false;
    uint64_t expected_ = 0;
    uint64_t lastDone_ = 0;
    uint64_t tenthsPrinted_ = 0;
    std::chrono::steady_clock::time_point start_, lastDrawn_;
};

}  // namespace velmora::tools
