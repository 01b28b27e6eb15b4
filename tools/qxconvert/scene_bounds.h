// The box the converted objects fill over all frames, in the player's space:
// what a framing camera and the lights' reach are worked out from.
#pragma once

#include <assimp/vector3.h>

#include <vector>

#include "scene_writer/scene_writer.h"

namespace velmora::tools {

struct SceneBounds {
    aiVector3D low{1e30f, 1e30f, 1e30f};
    aiVector3D high{-1e30f, -1e30f, -1e30f};

    bool Empty() const { return low.x > high.x; }
    void Add(const aiVector3D& p);
    aiVector3D Centre() const;
    // Half the box's diagonal; 1 for an empty or flat-as-a-point box.
    float Radius() const;
    // The farthest corner's distance from p.
    float FarthestFrom(const aiVector3D& p) const;
};

// Every object's vertices through each of its matrices (the corners of the
// box round its vertices, which hold them all).
SceneBounds ObjectBounds(const std::vector<WriterObject>& objects);

}  // namespace velmora::tools
