#include "sample_show/geometry.h"

#include <cmath>

namespace velmora::tools {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalised(Vec3 a) {
    const float length = Length(a);
    return length > 0.0f ? a * (1.0f / length) : a;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    const float* x = &a._11;
    const float* y = &b._11;
    D3DMATRIX result;
    float* out = &result._11;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += x[r * 4 + k] * y[k * 4 + c];
            out[r * 4 + c] = sum;
        }
    return result;
}

D3DMATRIX RotationX(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    D3DMATRIX m = IdentityMatrix();
    m._22 = c;
    m._23 = s;
    m._32 = -s;
    m._33 = c;
    return m;
}

D3DMATRIX RotationY(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    D3DMATRIX m = IdentityMatrix();
    m._11 = c;
    m._13 = -s;
    m._31 = s;
    m._33 = c;
    return m;
}

D3DMATRIX RotationZ(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    D3DMATRIX m = IdentityMatrix();
    m._11 = c;
    m._12 = s;
    m._21 = -s;
    m._22 = c;
    return m;
}

D3DMATRIX Scaling(float x, float y, float z) {
    D3DMATRIX m = IdentityMatrix();
    m._11 = x;
    m._22 = y;
    m._33 = z;
    return m;
}

D3DMATRIX Translation(Vec3 at) { return TranslationMatrix(at.x, at.y, at.z); }

D3DMATRIX Frame(Vec3 at, Vec3 forward, Vec3 up) {
    const Vec3 z = Normalised(forward);
    const Vec3 x = Normalised(Cross(up, z));
    const Vec3 y = Cross(z, x);
    D3DMATRIX m = IdentityMatrix();
    m._11 = x.x; m._12 = x.y; m._13 = x.z;
    m._21 = y.x; m._22 = y.y; m._23 = y.z;
    m._31 = z.x; m._32 = z.y; m._33 = z.z;
    m._41 = at.x; m._42 = at.y; m._43 = at.z;
    return m;
}

D3DMATRIX LookAt(Vec3 eye, Vec3 target, Vec3 up, float roll) {
    const Vec3 z = Normalised(target - eye);
    Vec3 x = Normalised(Cross(up, z));
    Vec3 y = Cross(z, x);
    if (roll != 0.0f) {
        const float c = std::cos(roll), s = std::sin(roll);
        const Vec3 rx = x * c + y * s, ry = y * c - x * s;
        x = rx;
        y = ry;
    }
    D3DMATRIX m = IdentityMatrix();
    m._11 = x.x; m._12 = y.x; m._13 = z.x;
    m._21 = x.y; m._22 = y.y; m._23 = z.y;
    m._31 = x.z; m._32 = y.z; m._33 = z.z;
    m._41 = -Dot(x, eye);
    m._42 = -Dot(y, eye);
    m._43 = -Dot(z, eye);
    return m;
}

Vec3 Transformed(Vec3 p, const D3DMATRIX& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

int32_t PartBuilder::Vertex(Vec3 p, float u, float v) {
    part_.vertices.push_back({p.x, p.y, p.z, u, v});
    return static_cast<int32_t>(part_.vertices.size() - 1);
}

void PartBuilder::Triangle(int32_t a, int32_t b, int32_t c, Vec3 front) {
    auto at = [this](int32_t i) {
        const WriterVertex& v = part_.vertices[static_cast<size_t>(i)];
        return Vec3{v.x, v.y, v.z};
    };
    // Seen from its front, a triangle runs counter-clockwise, and then
    // (b - a) x (c - a) points away from the viewer.
    if (Dot(Cross(at(b) - at(a), at(c) - at(a)), front) > 0.0f) std::swap(b, c);
    part_.polygons.push_back({a, b, c});
}

void PartBuilder::Quad(int32_t a, int32_t b, int32_t c, int32_t d, Vec3 front) {
    Triangle(a, b, c, front);
    Triangle(a, c, d, front);
}

void PartBuilder::Grid(int columns, int rows, float uRepeat, float vRepeat, const SurfacePoint& at) {
    const int32_t first = static_cast<int32_t>(part_.vertices.size());
    std::vector<Vec3> fronts;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            Vec3 position, front;
            at(i, j, position, front);
            Vertex(position, uRepeat * i / columns, vRepeat * j / rows);
            fronts.push_back(front);
        }
    auto index = [&](int i, int j) { return first + j * (columns + 1) + i; };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const Vec3 front = fronts[static_cast<size_t>(j * (columns + 1) + i)] +
                               fronts[static_cast<size_t>((j + 1) * (columns + 1) + i + 1)];
            Quad(index(i, j), index(i + 1, j), index(i + 1, j + 1), index(i, j + 1), front);
        }
}

void PartBuilder::Box(Vec3 low, Vec3 high, float uvScale) {
    // Each face by its corners counter-clockwise from its lower left as seen
    // from outside: on the sides u runs round the box and v up it (the
    // player's textures have their bottom row at v = 0), on the top and
    // bottom u runs along x and v along z.
    const float x0 = low.x, y0 = low.y, z0 = low.z, x1 = high.x, y1 = high.y, z1 = high.z;
    const float w = (x1 - x0) * uvScale, h = (y1 - y0) * uvScale, d = (z1 - z0) * uvScale;
    struct Face {
        Vec3 corners[4];
        float u, v;
        Vec3 front;
    };
    const Face faces[6] = {
        {{{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}}, w, h, {0, 0, -1}},
        {{{x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0}}, d, h, {1, 0, 0}},
        {{{x1, y0, z1}, {x0, y0, z1}, {x0, y1, z1}, {x1, y1, z1}}, w, h, {0, 0, 1}},
        {{{x0, y0, z1}, {x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}}, d, h, {-1, 0, 0}},
        {{{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}}, w, d, {0, 1, 0}},
        {{{x0, y0, z1}, {x1, y0, z1}, {x1, y0, z0}, {x0, y0, z0}}, w, d, {0, -1, 0}},
    };
    for (const Face& face : faces) {
        const int32_t a = Vertex(face.corners[0], 0, 0), b = Vertex(face.corners[1], face.u, 0);
        const int32_t c = Vertex(face.corners[2], face.u, face.v), e = Vertex(face.corners[3], 0, face.v);
        Quad(a, b, c, e, face.front);
    }
}

void PartBuilder::Sprite(Vec3 centre, Vec3 across, Vec3 up) {
    // The player's textures have their bottom row at v = 0.
    const int32_t a = Vertex(centre - across - up, 0, 0), b = Vertex(centre + across - up, 1, 0);
    const int32_t c = Vertex(centre + across + up, 1, 1), d = Vertex(centre - across + up, 0, 1);
    Quad(a, b, c, d, Cross(across, up) * -1.0f);
}

WriterPart TubePart(int32_t drawStyle, int segments, int sides, float t0, float t1, const TubePath& path,
                    bool inward, float uRepeat, float vRepeat) {
    PartBuilder builder(drawStyle);
    const float step = (t1 - t0) / segments;
    builder.Grid(sides, segments, uRepeat, vRepeat, [&](int i, int j, Vec3& position, Vec3& front) {
        const float t = t0 + step * j;
        const TubeRing ring = path(t);
        const Vec3 tangent = Normalised(path(t + 0.001f).centre - path(t - 0.001f).centre);
        const Vec3 side = Normalised(ring.side - tangent * Dot(ring.side, tangent));
        const Vec3 other = Cross(tangent, side);
        const float angle = 6.2831853f * static_cast<float>(i) / sides;
        const Vec3 out = side * std::cos(angle) + other * std::sin(angle);
        position = ring.centre + out * ring.radius;
        front = inward ? out * -1.0f : out;
    });
    return builder.Take();
}

WriterPart TorusPart(int32_t drawStyle, float major, float minor, int segments, int sides, float uRepeat,
                     float vRepeat) {
    return TubePart(
        drawStyle, segments, sides, 0.0f, 1.0f,
        [major, minor](float t) {
            const float a = 6.2831853f * t;
            const Vec3 out{std::cos(a), std::sin(a), 0.0f};
            return TubeRing{out * major, out, minor};
        },
        false, uRepeat, vRepeat);
}

}  // namespace velmora::tools
