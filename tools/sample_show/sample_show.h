// Makes the whole sample show: textures, scenes with their visibility files,
// the two music tracks and the play script, written as loose files into a
// working folder and then packed.
#pragma once

#include <string>
#include <vector>

#include "qxvis/visibility_generator.h"
#include "sample_show/show_files.h"
#include "sample_show/show_scene.h"

namespace velmora::tools {

// The scenes in the script's order (stars, title, tunnel, knot, city).
std::vector<ShowScene> ShowScenes();

// Every file of the show except the visibility files, which need the scene
// files read back by the engine: textures, scenes, music and the script.
std::vector<ShowFile> ShowFilesWithoutVisibility(const std::vector<ShowScene>& scenes);

// The visibility generator's settings for the show: a quarter of the player's
// 640 x 480 with a margin of two pixels, which keeps every part the player
// would draw (it is far cheaper than the full size, and the scenes' parts are
// large on screen).
GeneratorOptions ShowVisibilityOptions();

// Writes every file into folder, which must exist, and the visibility file of
// each scene beside it. The scenes are read back from the folder by the
// engine's reader (the current folder is changed to it meanwhile), with the
// back-face lines of the script applied, and drawn with OpenGL offscreen.
// names receives the files in the order they are to be packed. False with a
// one-line reason.
bool WriteShowFiles(const std::string& folder, std::vector<std::string>& names, std::string& why);

}  // namespace velmora::tools
