#include "show_length.h"

#include <algorithm>

#include "scene/scene.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace velmora::tools {

int64_t EstimatedShowMilliseconds() {
    int64_t end = 0;
    for (const Action* action = actionList.next; action; action = action->next) {
        int64_t time = action->time;
        end = std::max(end, time);
        if (action->type == kActionHold && action->argument > 0.0f)
            end = std::max(end, time + static_cast<int64_t>(action->argument));
        const int index = static_cast<int>(action->argument);
        if (action->type == kActionPlayScene && action->argument >= 0.0f && index < sceneCount && scenes) {
            const Scene& scene = scenes[index];
            if (scene.frameCount > 0 && scene.framesPerSecond > 0.0f)
                end = std::max(end, time + static_cast<int64_t>(scene.frameCount * 1000.0 /
                                                                 scene.framesPerSecond));
        }
    }
    return end + 1000;
}

}  // namespace velmora::tools
