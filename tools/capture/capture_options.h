// The capture tool's command line.
#pragma once

#include <string>

#include "platform/backend/frame_clock.h"

namespace velmora::tools {

constexpr const char* kUsage =
    "usage: velmora-capture SHOWDIR OUTPUT [--fps N] [--size WxH] [--crf N] [--max-hours H] [--frames-only] "
    "[--timings]";

// The largest side of a capture, in pixels.
constexpr int kLargestSide = 8192;
// The frame rates a capture takes: below one a second the sound of a single
// frame runs to gigabytes.
constexpr int kLowestRate = 1;
constexpr int kHighestRate = 1000;
// The longest show a capture takes by default, and the most it may be given.
constexpr double kDefaultMaxHours = 6.0;
constexpr double kLargestMaxHours = 1000.0;

struct CaptureOptions {
    std::string showDirectory;
    std::string output;
    platform::FrameRate rate{60, 1};
    int width = 1280;
    int height = 720;
    int crf = 18;
    double maxHours = kDefaultMaxHours;  // a longer show is refused, not filmed
    bool framesOnly = false;  // PNG frames and audio.wav into the folder OUTPUT
    bool timings = false;     // where the time went, on standard output at the end
};

// Reads argv[1..argc-1] into options; false with a one-line reason (no
// program name, no line end) for anything it cannot take. Only the words
// are checked here, not the files they name.
bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error);

// "60", "59.94": the rate as ffmpeg takes it, "6000/100" for the latter.
std::string RateForFfmpeg(const platform::FrameRate& rate);

}  // namespace velmora::tools
