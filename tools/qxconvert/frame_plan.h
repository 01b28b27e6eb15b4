// Which moments of the source become the scene's frames.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "qxconvert/imported_scene.h"

namespace velmora::tools {

// More frames than this is a mistake (a rate or range typed wrong), not a
// scene: the file and its visibility grow with every frame.
constexpr int64_t kMaxFrames = 100000;
// The rate of sources that have none, and the player's own default.
constexpr double kDefaultFramesPerSecond = 30.0;

struct FramePlan {
    double framesPerSecond = kDefaultFramesPerSecond;
    int64_t first = 0;  // the source's frame at that rate where the scene starts
    int32_t count = 1;
    // The source's time of the scene's frame k.
    double Seconds(int32_t k) const { return static_cast<double>(first + k) / framesPerSecond; }
};

// The rate asked for (0: the source's own, else 30) and the frames: those
// asked for (first and last, both included, counted at that rate from the
// source's time 0), else the source's own range, else time 0 to the last key
// of its animation. With seconds, the scene is that long at that rate (the
// seconds times the rate, rounded, at least 1 frame) from where it would
// start. False with a reason for a range the scene file cannot hold.
bool PlanFrames(const ImportedScene& scene, double animationEndSeconds, double framesPerSecond,
                const std::optional<std::pair<int64_t, int64_t>>& frames, FramePlan& plan, std::string& why,
                std::optional<double> seconds = std::nullopt);

}  // namespace velmora::tools
