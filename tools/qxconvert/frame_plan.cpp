#include "qxconvert/frame_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora::tools {
namespace {

// Key times that land a hair past a frame still count as that frame.
constexpr double kFrameSlack = 1e-6;

double LastValueKey(const ImportedScene& scene) {
    double last = 0.0;
    for (const auto& [name, keys] : scene.cameraFov)
        for (const auto& key : keys) last = std::max(last, key.seconds);
    for (const auto& [name, keys] : scene.lightColour)
        for (const auto& key : keys) last = std::max(last, key.seconds);
    return last;
}

// A rate or a length as it was typed: 30, 29.97, 0.5.
std::string Decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

}  // namespace

bool PlanFrames(const ImportedScene& scene, double animationEndSeconds, double framesPerSecond,
                const std::optional<std::pair<int64_t, int64_t>>& frames, FramePlan& plan, std::string& why,
                std::optional<double> seconds) {
    plan.framesPerSecond = framesPerSecond > 0.0             ? framesPerSecond
                           : scene.framesPerSecond > 0.0 ? scene.framesPerSecond
                                                         : kDefaultFramesPerSecond;
    double rate = plan.framesPerSecond;
    int64_t first, last;
    if (frames) {
        first = frames->first;
        last = frames->second;
    } else if (scene.frameRange && scene.framesPerSecond > 0.0) {
        double start = scene.frameRange->first / scene.framesPerSecond;
        double end = scene.frameRange->second / scene.framesPerSecond;
        first = static_cast<int64_t>(std::ceil(start * rate - kFrameSlack));
        last = static_cast<int64_t>(std::floor(end * rate + kFrameSlack));
    } else {
        double end = std::max(animationEndSeconds, LastValueKey(scene));
        first = 0;
        last = static_cast<int64_t>(std::floor(std::min(end * rate, 1e12) + kFrameSlack));
    }
    if (last < first) last = first;
    if (seconds && !frames) {
        const double count = std::max(1.0, std::round(*seconds * rate));
        if (count > static_cast<double>(kMaxFrames)) {
            why = "--seconds " + Decimal(*seconds) + " at " + Decimal(rate) + " a second is " +
                  std::to_string(static_cast<int64_t>(std::min(count, 1e18))) + " frames, more than the " +
                  std::to_string(kMaxFrames) + " a scene is given";
            return false;
        }
        last = first + static_cast<int64_t>(count) - 1;
    }
    if (last - first + 1 > kMaxFrames) {
        why = std::to_string(last - first + 1) + " frames at " + std::to_string(rate) +
              " a second is more than the " + std::to_string(kMaxFrames) + " a scene is given; --fps or --frames " +
              "chooses fewer";
        return false;
    }
    plan.first = first;
    plan.count = static_cast<int32_t>(last - first + 1);
    return true;
}

}  // namespace velmora::tools
