// The capture's profile of the show: the film cut into windows, each a
// stretch of frames in which the same scenes play, with the time each of its
// frames took to draw (wall clock and the process's processor time, which a
// busy machine disturbs less) and what the frames asked of OpenGL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/draw_counters.h"

namespace velmora::tools {

struct SceneWindow {
    std::string scenes;        // the playing scenes' file names, in play order, "+" between
    double fromSeconds = 0.0;  // show time of its first frame
    double toSeconds = 0.0;    // show time after its last frame
    uint64_t frames = 0;       // frames drawn (repeats of a held picture are not)
    double wallSeconds = 0.0;
    double processorSeconds = 0.0;
    platform::DrawCounters counters;  // summed over its frames
};

class SceneTimings {
public:
    // One frame drawn at show time seconds while the scenes named played,
    // taking wall and processor seconds and the counters' growth.
    void FrameDrawn(const std::string& scenes, double showSeconds, double frameSeconds, double wallSeconds,
                    double processorSeconds, const platform::DrawCounters& counters);
    const std::vector<SceneWindow>& windows() const { return windows_; }
    // The table, one line a window and a heading.
    std::string Table() const;

private:
    std::vector<SceneWindow> windows_;
};

// The scenes of the render list, as SceneTimings names them.
std::string PlayingScenes();

}  // namespace velmora::tools
