// Reads ASCII scene exports (.ASE) into the import library's scene graph, as
// its own readers would lay it out: Y up (the exporter's Z-up space turned by
// the root node), meshes in their nodes' space, one mesh per material, and the
// nodes' animation as key channels.
#pragma once

#include <string>

#include "qxconvert/ase_document.h"
#include "qxconvert/imported_scene.h"

namespace velmora::tools {

// Fills scene (the graph in ownScene, the frame rate and range, the ambient
// colour, animated fields of view and light colours). False with a one-line
// reason for a file that does not make a scene: bad numbers, indices outside
// their lists, no objects at all.
bool BuildAseScene(const AseBlock& document, ImportedScene& scene, std::string& why);

// Reads and builds the named file.
bool ReadAseFile(const std::string& path, ImportedScene& scene, std::string& why);

}  // namespace velmora::tools
