// The two ffmpeg runs of a video capture: the raw frames from the pipe
// encoded as H.264 into a video-only file, then that video and the mix in one
// MP4 with AAC sound and the index at the front.
#pragma once

#include <string>
#include <vector>

#include "capture_options.h"

namespace velmora::tools {

std::vector<std::string> EncodeArguments(const CaptureOptions& options, const std::string& video);
std::vector<std::string> MuxArguments(const std::string& video, const std::string& audio,
                                      const std::string& output);

}  // namespace velmora::tools
