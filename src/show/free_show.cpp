#include "show/free_show.h"

#include <cstdlib>

#include "music/music_player.h"
#include "scene/scene.h"
#include "show/timeline.h"
#include "state/engine_state.h"

void FreeShow() {
    // Records that hold nothing release nothing, so every entry can be freed.
    for (int i = 0; i < sceneCount && scenes; ++i) FreeScene(&scenes[i]);
    std::free(scenes);
    scenes = nullptr;
    sceneCount = 0;
    for (int i = 0; i < musicTrackCount && musicTracks; ++i) std::free(musicTracks[i].fileName);
    std::free(musicTracks);
    musicTracks = nullptr;
    musicTrackCount = 0;
    ClearActionList(&actionList);
    ClearActionList(&renderList);
    actionCursor = nullptr;
}
