#include "qxconvert/scene_bounds.h"

#include <assimp/types.h>

#include <algorithm>
#include <cmath>

#include "qxconvert/player_space.h"

namespace velmora::tools {

void SceneBounds::Add(const aiVector3D& p) {
    low = aiVector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = aiVector3D(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
}

aiVector3D SceneBounds::Centre() const { return Empty() ? aiVector3D() : (low + high) * 0.5f; }

float SceneBounds::Radius() const {
    if (Empty()) return 1.0f;
    float radius = (high - low).Length() * 0.5f;
    return radius > 1e-6f ? radius : 1.0f;
}

float SceneBounds::FarthestFrom(const aiVector3D& p) const {
    if (Empty()) return 1.0f;
    float farthest = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        aiVector3D c(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 4 ? high.z : low.z);
        farthest = std::max(farthest, (c - p).Length());
    }
    return farthest;
}

SceneBounds ObjectBounds(const std::vector<WriterObject>& objects) {
    SceneBounds bounds;
    for (const WriterObject& object : objects) {
        SceneBounds local;
        for (const WriterPart& part : object.parts)
            for (const WriterVertex& v : part.vertices) local.Add(aiVector3D(v.x, v.y, v.z));
        if (local.Empty()) continue;
        for (const D3DMATRIX& matrix : object.matrices)
            for (int corner = 0; corner < 8; ++corner) {
                aiVector3D c(corner & 1 ? local.high.x : local.low.x, corner & 2 ? local.high.y : local.low.y,
                             corner & 4 ? local.high.z : local.low.z);
                bounds.Add(Transformed(c, matrix));
            }
    }
    return bounds;
}

}  // namespace velmora::tools
