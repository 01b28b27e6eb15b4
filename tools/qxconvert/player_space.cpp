#include "qxconvert/player_space.h"

#include <assimp/types.h>

#include <cmath>

namespace velmora::tools {

aiVector3D PlayerSpace::Direction(const aiVector3D& d) const {
    aiVector3D out(d.x, d.y, -d.z);
    float length = out.Length();
    return length > 0.0f ? out / length : out;
}

D3DMATRIX PlayerSpace::World(const aiMatrix4x4& g) const {
    // Mirror * G * mirror negates the entries with exactly one z index; the
    // row-vector matrix is the transpose, the translation in its last row.
    const float s = scale_;
    D3DMATRIX m{};
    m._11 = s * g.a1, m._12 = s * g.b1, m._13 = -s * g.c1, m._14 = 0.0f;
    m._21 = s * g.a2, m._22 = s * g.b2, m._23 = -s * g.c2, m._24 = 0.0f;
    m._31 = -s * g.a3, m._32 = -s * g.b3, m._33 = s * g.c3, m._34 = 0.0f;
    m._41 = s * g.a4, m._42 = s * g.b4, m._43 = -s * g.c4, m._44 = 1.0f;
    return m;
}

D3DMATRIX LookTo(const aiVector3D& eye, const aiVector3D& forward, const aiVector3D& up) {
    aiVector3D z = forward;
    z.Normalize();
    aiVector3D x = up ^ z;
    if (x.Length() < 1e-6f) {
        // Up along the view: any side direction will do.
        x = (std::fabs(z.y) < 0.9f ? aiVector3D(0, 1, 0) : aiVector3D(0, 0, 1)) ^ z;
    }
    x.Normalize();
    aiVector3D y = z ^ x;
    D3DMATRIX m{};
    m._11 = x.x, m._12 = y.x, m._13 = z.x;
    m._21 = x.y, m._22 = y.y, m._23 = z.y;
    m._31 = x.z, m._32 = y.z, m._33 = z.z;
    m._41 = -(x * eye), m._42 = -(y * eye), m._43 = -(z * eye);
    m._44 = 1.0f;
    return m;
}

aiVector3D Transformed(const aiVector3D& p, const D3DMATRIX& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

}  // namespace velmora::tools
