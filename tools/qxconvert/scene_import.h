// Reads a source scene: ASCII scene exports with our own reader (the import
// library's loses their node tree), every other format through the Open Asset
// Import Library.
#pragma once

#include <string>

#include "qxconvert/imported_scene.h"

namespace velmora::tools {

// False with a one-line reason (the import library's own message where it has
// one): a file that cannot be read, that no reader takes or that a reader
// refuses, one that needs more memory than a scene of its size can, or a
// scene without a single triangle.
bool ImportScene(const std::string& path, ImportedScene& scene, std::string& why);

// The lower-case extension of a path, without its dot.
std::string LowerExtension(const std::string& path);

}  // namespace velmora::tools
