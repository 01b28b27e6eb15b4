// velmora-preview's command line: [SHOWDIR] [--at T] [--loop A-B] [--size WxH] [--fps N].
#pragma once

#include <string>

#include "platform/backend/frame_clock.h"

namespace velmora::tools {

inline constexpr const char* kPreviewUsage =
    "usage: velmora-preview [SHOWDIR] [--at SECONDS] [--loop A-B] [--size WxH] [--fps N] [--seek-times] [--picture FILE.png]";

struct PreviewOptions {
    std::string showDirectory = ".";
    double atSeconds = 0.0;
    bool loop = false;
    double loopFrom = 0.0, loopTo = 0.0;  // seconds
    int width = 800, height = 600;
    platform::FrameRate rate{60, 1};
    // Seeks to every whole second of the show, prints how long each took
    // and ends, instead of opening the preview for work.
    bool seekTimes = false;
    // Writes the picture at --at, bar and all, as a PNG file and ends.
    std::string picture;
};

// False with a one-line reason for a bad argument.
bool ParsePreviewOptions(int argc, const char* const* argv, PreviewOptions& options, std::string& error);

}  // namespace velmora::tools
