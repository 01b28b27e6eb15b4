// The whole show's timeline once the script is read: actions later than
// everything else, and stretches in which no scene plays and the screen is
// black (at the start, between scenes, at the end).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "qxcheck/show_snapshot.h"

namespace velmora::tools {

// An action with the script line that put it on the timeline.
struct TimedAction {
    ActionRecord action;
    int line = 0;
};

// What the timeline needs of a scene slot: how long a playback lasts.
struct SceneLength {
    int32_t frameCount = 0;  // 0 or less: nothing to draw
    float framesPerSecond = 0.0f;
};

struct TimelineWarning {
    int line = 0;
    std::string text;
};

// The warnings, each at the line it concerns: an action later than
// everything else (with the length of the black screen before it), and every
// stretch of a second or more in which no scene plays and no hold freezes the
// picture, from the show's start to its end, whatever number of actions
// keep the show going through it.
std::vector<TimelineWarning> CheckTimeline(const std::vector<TimedAction>& timed,
                                           const std::vector<SceneLength>& scenes);

}  // namespace velmora::tools
