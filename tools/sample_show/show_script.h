// The sample show's play script: every scene's presentation lines from its
// ShowScene, then the timeline, in the layout the player's reader needs
// (one command a line, CR LF, two-digit tags, no blank lines).
#pragma once

#include <string>
#include <vector>

#include "sample_show/show_scene.h"

namespace velmora::tools {

// The music files, as the script names them; local paths cut the folder.
inline constexpr const char* kTuneName = "music\\tune.mod";
inline constexpr const char* kStreamName = "music\\pad.wav";

// The scenes in the order the script numbers them.
enum ShowSceneNumber { kStarsScene = 1, kTitleScene, kTunnelScene, kKnotScene, kCityScene };

// The script for the scenes given in that order.
std::string ShowScript(const std::vector<ShowScene>& scenes);

}  // namespace velmora::tools
