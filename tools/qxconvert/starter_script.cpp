#include "qxconvert/starter_script.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "qxconvert/export_names.h"
#include "show/script_reader.h"

namespace velmora::tools {
namespace {

std::string Tag(size_t slot) {
    char text[8];
    std::snprintf(text, sizeof text, "[%02zu]", slot);
    return text;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// Scenes shorter than this loop until they have been shown this long.
constexpr double kLeastShowMilliseconds = 5000.0;

}  // namespace

std::string ScriptSeconds(int64_t milliseconds) {
    // The player reads a float and truncates its thousandfold, which can land
    // a millisecond short: then half a millisecond more is written.
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(milliseconds) / 1000.0);
    if (ScriptTimeToMilliseconds(text) == milliseconds) return text;
    for (double extra : {0.5, 0.75, 0.25}) {
        std::snprintf(text, sizeof text, "%.4f", (static_cast<double>(milliseconds) + extra) / 1000.0);
        if (ScriptTimeToMilliseconds(text) == milliseconds) break;
    }
    return text;
}

std::string StarterScript(const StarterShow& show) {
    const std::string end = "\r\n";
    size_t slots = std::min(show.cameras.size(), kMaxStarterCameras);
    std::string script = "' Made by qxconvert from " + SafeWord(show.sourceName, 60) + ": " +
                         std::to_string(show.frameCount) + (show.frameCount == 1 ? " frame" : " frames") + " at " +
                         Number(show.framesPerSecond) + " a second, through each camera in turn." + end;
    script += "[Engine][Local path] TRUE" + end;
    script += "[QX3][00] " + std::to_string(slots) + end;
    // A short scene (a still model is one frame) loops until each camera has
    // shown it for a while.
    double once = show.frameCount * 1000.0 / show.framesPerSecond;
    bool looped = once < kLeastShowMilliseconds;
    double shown = looped ? once * std::ceil(kLeastShowMilliseconds / once) : once;
    for (size_t s = 0; s < slots; ++s) {
        std::string tag = "[QX3]" + Tag(s + 1);
        script += tag + "[Filename] " + show.sceneFile + end;
        script += tag + "[Load]" + end;
        script += tag + "[FPS] " + Number(show.framesPerSecond) + end;
        script += tag + "[Camera] 0 " + std::to_string(show.frameCount) + " " + show.cameras[s] +
                  " 0 0 100 0 FALSE" + end;
        for (const std::string& object : show.twoSidedObjects) script += tag + "[Backface] " + object + " FALSE" + end;
        script += tag + "[PreLoad] 0" + end;
        auto start = static_cast<int64_t>(std::llround(static_cast<double>(s) * shown));
        script += tag + "[Play] " + ScriptSeconds(start) + (looped ? " TRUE" : " FALSE") + end;
        if (looped) {
            auto stop = static_cast<int64_t>(std::llround(static_cast<double>(s + 1) * shown));
            script += tag + "[Stop] " + ScriptSeconds(stop) + end;
        }
    }
    return script;
}

}  // namespace velmora::tools
