// Vectors, matrices and mesh building for the sample show's scenes, in the
// player's conventions: row vectors, a left-handed space with y up, and front
// faces wound counter-clockwise as the camera sees them.
#pragma once

#include <cstdint>
#include <functional>

#include "scene_writer/scene_writer.h"

namespace velmora::tools {

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
float Length(Vec3 a);
Vec3 Normalised(Vec3 a);  // a zero vector stays zero

// Row-vector matrices: a point p becomes p * M, and a * b applies a first.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX RotationX(float angle);
D3DMATRIX RotationY(float angle);
D3DMATRIX RotationZ(float angle);
D3DMATRIX Scaling(float x, float y, float z);
D3DMATRIX Translation(Vec3 at);
// The world matrix of an object whose local x, y and z axes point along the
// given directions (z is taken as is; y is made square to it) at the origin at.
D3DMATRIX Frame(Vec3 at, Vec3 forward, Vec3 up);
// The view matrix of a camera at eye looking at target, rolled by roll
// radians about its line of sight.
D3DMATRIX LookAt(Vec3 eye, Vec3 target, Vec3 up, float roll = 0.0f);
Vec3 Transformed(Vec3 p, const D3DMATRIX& m);

// Builds one part of an object: vertices, and triangles turned so that their
// front faces the side given with each one.
class PartBuilder {
public:
    explicit PartBuilder(int32_t drawStyle) { part_.drawStyle = drawStyle; }
    int32_t Vertex(Vec3 p, float u, float v);
    // The triangle a, b, c seen from the side front points to.
    void Triangle(int32_t a, int32_t b, int32_t c, Vec3 front);
    // The quad a, b, c, d (in order round its edge) as two triangles.
    void Quad(int32_t a, int32_t b, int32_t c, int32_t d, Vec3 front);
    // A grid of (columns + 1) x (rows + 1) shared vertices; at(i, j, position,
    // front) gives vertex i, j and the side it is seen from. Texture
    // coordinates run from 0 to uRepeat across and 0 to vRepeat down.
    using SurfacePoint = std::function<void(int i, int j, Vec3& position, Vec3& front)>;
    void Grid(int columns, int rows, float uRepeat, float vRepeat, const SurfacePoint& at);
    // An axis-aligned box, its outside seen.
    void Box(Vec3 low, Vec3 high, float uvScale = 1.0f);
    // A square of the given size in the plane through centre spanned by
    // across and up, seen from the side of across x up's opposite (that is,
    // from where across points right and up points up).
    void Sprite(Vec3 centre, Vec3 across, Vec3 up);
    WriterPart Take() { return std::move(part_); }
    size_t vertexCount() const { return part_.vertices.size(); }

private:
    WriterPart part_;
};

// One ring of a tube: its centre, a direction away from the centre that the
// ring's first vertex lies in (made square to the path), and its radius.
struct TubeRing {
    Vec3 centre;
    Vec3 side;
    float radius = 1.0f;
};
using TubePath = std::function<TubeRing(float t)>;
// A tube along path(t) for t from t0 to t1, in segments rings of sides
// vertices, seen from outside or (inward) from inside. Texture coordinates
// run 0 to uRepeat round the tube and 0 to vRepeat along it.
WriterPart TubePart(int32_t drawStyle, int segments, int sides, float t0, float t1, const TubePath& path,
                    bool inward, float uRepeat, float vRepeat);
// A torus in the xy plane round the origin, seen from outside.
WriterPart TorusPart(int32_t drawStyle, float major, float minor, int segments, int sides, float uRepeat,
                     float vRepeat);

}  // namespace velmora::tools
