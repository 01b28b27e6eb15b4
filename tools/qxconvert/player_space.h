// From the import library's space (right-handed, column vectors) to the
// player's (left-handed, row vectors): z mirrored, the whole scene scaled.
#pragma once

#include <assimp/matrix4x4.h>
#include <assimp/vector3.h>

#include "platform/ddraw/d3dtypes.h"

namespace velmora::tools {

// A vertex of an object's own space, mirrored; its object's matrix carries
// the scale.
inline aiVector3D MirroredVertex(const aiVector3D& v) { return {v.x, v.y, -v.z}; }

class PlayerSpace {
public:
    explicit PlayerSpace(float scale) : scale_(scale) {}
    float Scale() const { return scale_; }
    // A point of the source's world in the player's world.
    aiVector3D Point(const aiVector3D& p) const { return {p.x * scale_, p.y * scale_, -p.z * scale_}; }
    // A direction of the source's world in the player's, of unit length (zero
    // stays zero).
    aiVector3D Direction(const aiVector3D& d) const;
    // An object's world matrix for mirrored vertices: the source's node
    // transform between two mirrors, scaled, as a row-vector matrix.
    D3DMATRIX World(const aiMatrix4x4& global) const;

private:
    float scale_;
};

// The left-handed view matrix of an eye looking along forward with up as its
// rough up direction (row vectors, as the player's cameras keep them): world
// coordinates to the camera's, which looks down its positive z axis.
D3DMATRIX LookTo(const aiVector3D& eye, const aiVector3D& forward, const aiVector3D& up);

// A point through a row-vector matrix.
aiVector3D Transformed(const aiVector3D& p, const D3DMATRIX& m);

}  // namespace velmora::tools
