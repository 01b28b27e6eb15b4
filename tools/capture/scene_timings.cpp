#include "scene_timings.h"

#include <cstdio>

#include "scene/scene.h"
#include "state/engine_state.h"

namespace velmora::tools {

void SceneTimings::FrameDrawn(const std::string& scenes, double showSeconds, double frameSeconds,
                              double wallSeconds, double processorSeconds,
                              const platform::DrawCounters& counters) {
    if (windows_.empty() || windows_.back().scenes != scenes) {
        SceneWindow window;
        window.scenes = scenes;
        window.fromSeconds = showSeconds;
        windows_.push_back(window);
    }
    SceneWindow& window = windows_.back();
    window.toSeconds = showSeconds + frameSeconds;
    ++window.frames;
    window.wallSeconds += wallSeconds;
    window.processorSeconds += processorSeconds;
    window.counters.draws += counters.draws;
    window.counters.stateChanges += counters.stateChanges;
    window.counters.bytesStreamed += counters.bytesStreamed;
    window.counters.bytesKept += counters.bytesKept;
}

std::string SceneTimings::Table() const {
    std::string table =
        "   from      to  frames  ms/frame  cpu ms  draws  states  KB sent  KB kept  scenes\n";
    char line[512];
    for (const SceneWindow& w : windows_) {
        const double n = w.frames > 0 ? static_cast<double>(w.frames) : 1.0;
        std::snprintf(line, sizeof line, "%7.2f %7.2f %7llu %9.1f %7.1f %6.0f %7.0f %8.1f %8.1f  %s\n",
                      w.fromSeconds, w.toSeconds, static_cast<unsigned long long>(w.frames),
                      1000.0 * w.wallSeconds / n, 1000.0 * w.processorSeconds / n,
                      static_cast<double>(w.counters.draws) / n, static_cast<double>(w.counters.stateChanges) / n,
                      static_cast<double>(w.counters.bytesStreamed) / n / 1024.0,
                      static_cast<double>(w.counters.bytesKept) / n / 1024.0,
                      w.scenes.empty() ? "(none)" : w.scenes.c_str());
        table += line;
    }
    return table;
}

std::string PlayingScenes() {
    std::string names;
    for (const Action* node = renderList.next; node; node = node->next) {
        const float argument = node->argument;
        const int index = argument > -1.0f && argument < static_cast<float>(sceneCount) ? static_cast<int>(argument) : -1;
        const char* name = index >= 0 && scenes && scenes[index].fileName ? scenes[index].fileName : "?";
        // The file name without its folders.
        const char* base = name;
        for (const char* c = name; *c; ++c)
            if (*c == '/' || *c == '\\') base = c + 1;
        if (!names.empty()) names += "+";
        names += base;
    }
    return names;
}

}  // namespace velmora::tools
