// The summary that qxinfo prints for a scene loaded by the engine's reader.
#pragma once

#include <string>

#include "scene/scene.h"

namespace velmora::tools {

struct BoundingBox {
    bool empty = true;
    D3DVECTOR min{};
    D3DVECTOR max{};
};

// The box around every vertex of every object, each placed by its world
// matrix of the given frame (row vector times matrix).
BoundingBox SceneBoundingBox(const Scene& scene, int frame);

// Frames, counts and names, draw styles with their textures, parts with their
// vertex and triangle counts, and the bounding box of frame 0.
std::string SceneSummary(const Scene& scene);

}  // namespace velmora::tools
