// The player run in this process for a capture: its start-up without the
// settings file and the dialog, at the capture's size (a display mode the
// platform settings add), on the virtual clock at the capture's rate, with
// the mix captured as audio.wav and every frame handed to the film's writer.
#pragma once

#include <memory>
#include <string>

#include "capture_options.h"
#include "platform/capture/frame_writer.h"

namespace velmora::tools {

struct ShowRunResult {
    bool played = false;          // false: the display could not be brought up; why says so
    std::string why;
    double readBackSeconds = 0.0;
    std::string renderer;  // the OpenGL renderer and version, and the depth path
};

// Plays the show in the current folder. VELMORA_LOG, VELMORA_STATS and
// VELMORA_GL_CLASSIC work as for the player (the log beside this program); no
// other switch is read.
ShowRunResult PlayShowForCapture(const CaptureOptions& options, const std::string& audioFolder,
                                 std::shared_ptr<platform::FrameWriter> frames);

}  // namespace velmora::tools
