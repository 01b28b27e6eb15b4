// The play script a converted scene starts with: it loads the scene and
// plays it once through every camera in turn.
#pragma once

#include <string>
#include <vector>

namespace velmora::tools {

struct StarterShow {
    std::string sourceName;  // shown in the script's comment
    std::string sceneFile;   // NAME.QX3
    int32_t frameCount = 1;
    double framesPerSecond = 30.0;
    std::vector<std::string> cameras;
    std::vector<std::string> twoSidedObjects;  // drawn with both sides
};

// The most scene slots a script counts (two digits): one camera each.
constexpr size_t kMaxStarterCameras = 99;

// The script's text, lines ended by CR LF: one scene slot per camera, each
// loading the scene and showing it through its camera alone, played one after
// the other; scenes shorter than five seconds loop for about that long. Slots
// never unload, since unloading would take the textures the others share
// with them.
std::string StarterScript(const StarterShow& show);

// A time in seconds as the player reads it back to exactly the milliseconds.
std::string ScriptSeconds(int64_t milliseconds);

}  // namespace velmora::tools
