#include "show_outline.h"

#include <algorithm>
#include <map>

#include "scene/scene.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

// The scene's name as the bar writes it: its file name without folders.
std::string SceneName(int index) {
    const Scene& scene = scenes[index];
    std::string name = scene.fileName ? scene.fileName : "";
    const size_t cut = name.find_last_of("\\/");
    if (cut != std::string::npos) name.erase(0, cut + 1);
    return name.empty() ? "scene " + std::to_string(index + 1) : name;
}

std::vector<int> PlayingScenes() {
    std::vector<int> playing;
    for (const Action* node = renderList.next; node; node = node->next)
        if (node->type == kActionPlayScene && node->argument >= 0.0f &&
            node->argument < static_cast<float>(sceneCount))
            playing.push_back(static_cast<int>(node->argument));
    return playing;
}

}  // namespace

ShowOutline OutlineShow(ShowSession& session, uint64_t longest) {
    ShowOutline outline;
    std::map<int, size_t> open;  // scene -> its span under way
    while (!session.Ended() && session.NextPresentFrame() <= longest) {
        const Action* due = timelineStarted ? actionCursor : actionList.next;
        session.Pass(false);
        const uint64_t frame = session.ShownFrame();
        const Action* after = actionCursor;
        if (due && due != after) outline.actions.push_back({frame, due->type, due->argument});
        const std::vector<int> playing = PlayingScenes();
        for (int scene : playing)
            if (!open.count(scene)) {
                open[scene] = outline.spans.size();
                outline.spans.push_back({scene, SceneName(scene), frame, frame + 1});
            }
        for (auto it = open.begin(); it != open.end();) {
            const bool still = std::find(playing.begin(), playing.end(), it->first) != playing.end();
            if (still) outline.spans[it->second].end = frame + 1;
            it = still ? std::next(it) : open.erase(it);
        }
        outline.length = frame + 1;
    }
    return outline;
}

uint64_t NextActionFrame(const ShowOutline& outline, uint64_t frame) {
    for (const OutlineAction& action : outline.actions)
        if (action.frame > frame) return action.frame;
    return outline.length > 0 ? outline.length - 1 : 0;
}

uint64_t PreviousActionFrame(const ShowOutline& outline, uint64_t frame) {
    for (auto it = outline.actions.rbegin(); it != outline.actions.rend(); ++it)
        if (it->frame < frame) return it->frame;
    return 0;
}

}  // namespace velmora::tools
