// The visibility file of a staged scene, worked out on the scene as the player
// loads it (its textures decide which parts hide what is behind them).
#pragma once

#include <string>
#include <vector>

#include "qxconvert/conversion_notes.h"
#include "qxconvert/output_folder.h"

namespace velmora::tools {

// Reads sceneFile from the staging folder with the player's reader and
// texture cache, notes each texture the player cannot read, and stages
// visibilityFile, worked out with both sides of the named objects drawn (as
// the starter script draws them). Without OpenGL there is no visibility file: that is noted
// and true returned, since the player then draws every part. False with a
// reason when the staged scene does not load or the file cannot be written.
bool StageVisibility(StagedOutput& output, const std::string& sceneFile, const std::string& visibilityFile,
                     const std::vector<std::string>& twoSidedObjects, ConversionNotes& notes, std::string& why);

}  // namespace velmora::tools
