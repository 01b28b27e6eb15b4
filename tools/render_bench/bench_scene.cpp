#include "render_bench/bench_scene.h"

#include <cmath>
#include <utility>

namespace velmora::tools {

void BuildBenchScene(SceneBuilder& builder) {
    const float pi = 3.14159265f;
    for (int32_t o = 0; o < 20; ++o) {
        // 25 x 50 quads: 2,500 triangles, split in two parts of 1,250.
        int32_t first = builder.AddDrawStyle(Material(0.4f + 0.03f * o, 0.8f - 0.02f * o, 0.5f));
        int32_t second = builder.AddDrawStyle(Material(0.9f, 0.3f + 0.02f * o, 0.2f));
        BuilderPart sphere = Sphere(3.0f + 0.1f * (o % 5), 25, 50, first);
        BuilderPart lower = sphere;
        lower.drawStyle = second;
        size_t half = sphere.polygons.size() / 2;
        lower.polygons.assign(sphere.polygons.begin() + static_cast<long>(half), sphere.polygons.end());
        sphere.polygons.resize(half);
        std::vector<D3DMATRIX> path;
        for (int32_t f = 0; f < kBenchFrames; ++f) {
            float angle = 2.0f * pi * (static_cast<float>(o) / 20.0f + static_cast<float>(f) / kBenchFrames);
            D3DMATRIX m = RotationY(angle * 3.0f);
            m._41 = 22.0f * std::cos(angle);
            m._42 = 6.0f * std::sin(3.0f * angle + static_cast<float>(o));
            m._43 = 60.0f + 22.0f * std::sin(angle);
            path.push_back(m);
        }
        builder.AddObject({sphere, lower}, path);
    }
    for (int32_t l = 0; l < 4; ++l) {
        std::vector<D3DLIGHT7> frames;
        for (int32_t f = 0; f < kBenchFrames; ++f) {
            float angle = 2.0f * pi * (static_cast<float>(l) / 4.0f + 2.0f * static_cast<float>(f) / kBenchFrames);
            D3DLIGHT7 light = PointLight(30.0f * std::cos(angle), 15.0f, 60.0f + 30.0f * std::sin(angle),
                                         0.6f + 0.1f * l, 0.7f, 0.9f - 0.1f * l, 200.0f);
            light.dvAttenuation1 = 0.01f;
            frames.push_back(light);
        }
        builder.AddLight(frames);
    }
    std::vector<D3DMATRIX> still(kBenchFrames, IdentityMatrix()), turning;
    for (int32_t f = 0; f < kBenchFrames; ++f) {
        D3DMATRIX view = RotationY(0.3f * std::sin(2.0f * pi * static_cast<float>(f) / kBenchFrames));
        view._42 = -2.0f;
        turning.push_back(view);
    }
    builder.AddCamera(still);
    builder.AddCamera(turning, 0.5f, 0.9f, 3);
    builder.SetAmbient(0x202020);
}

void BuildOverdrawScene(SceneBuilder& builder) {
    const float pi = 3.14159265f;
    int32_t style = builder.AddDrawStyle(Material(0.9f, 0.85f, 0.8f), kOverdrawTexture);
    // A wall k fills its half of a 45-degree view at 20 + 4k, and a little more.
    auto wall = [&](int32_t k, float side) {
        const float distance = 20.0f + 4.0f * static_cast<float>(k);
        const float halfWidth = 0.4142136f * distance * 1.1f, halfHeight = 0.3186f * distance * 1.1f;
        BuilderPart part = Grid(1.0f, 16, style, 0.0f);
        for (Vertex& v : part.vertices) {
            // From a little past the middle outwards, so that the stacks overlap as they sway.
            v.x = side * ((v.x + 1.0f) * 0.55f - 0.05f) * halfWidth;
            v.y *= halfHeight;
            v.z = distance;
            v.tu *= 2.0f + static_cast<float>(k) * 0.25f;
            v.tv *= 2.0f;
        }
        if (side < 0) {
            // Mirrored: wound back the other way, as culling keeps it.
            for (Polygon& p : part.polygons) std::swap(p.index[1], p.index[2]);
        }
        return part;
    };
    std::vector<BuilderPart> backToFront, frontToBack;
    for (int32_t k = kOverdrawLayers - 1; k >= 0; --k) backToFront.push_back(wall(k, -1.0f));
    for (int32_t k = 0; k < kOverdrawLayers; ++k) frontToBack.push_back(wall(k, 1.0f));
    auto sway = [&](float phase) {
        std::vector<D3DMATRIX> path;
        for (int32_t f = 0; f < kBenchFrames; ++f) {
            D3DMATRIX m = RotationY(0.02f * std::sin(2.0f * pi * static_cast<float>(f) / kBenchFrames + phase));
            m._42 = 0.3f * std::sin(4.0f * pi * static_cast<float>(f) / kBenchFrames + phase);
            path.push_back(m);
        }
        return path;
    };
    builder.AddObject(backToFront, sway(0.0f));
    builder.AddObject(frontToBack, sway(1.0f));
    for (int32_t l = 0; l < 2; ++l) {
        std::vector<D3DLIGHT7> frames;
        for (int32_t f = 0; f < kBenchFrames; ++f) {
            float angle = 2.0f * pi * (static_cast<float>(l) / 2.0f + static_cast<float>(f) / kBenchFrames);
            D3DLIGHT7 light = PointLight(12.0f * std::cos(angle), 6.0f * std::sin(angle), 8.0f, 0.9f, 0.85f - 0.2f * l,
                                         0.7f + 0.2f * l, 400.0f);
            light.dvAttenuation1 = 0.02f;
            frames.push_back(light);
        }
        builder.AddLight(frames);
    }
    builder.AddCamera(std::vector<D3DMATRIX>(kBenchFrames, IdentityMatrix()));
    builder.SetAmbient(0x282828);
}

std::vector<uint8_t> OverdrawTexturePixels() {
    const int side = kOverdrawTextureSide;
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * 3);
    uint32_t noise = 12345u;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const bool check = ((x / 32) + (y / 32)) % 2 == 0;
            const int grain = static_cast<int>(noise >> 27);  // 0 ... 31
            uint8_t* p = &pixels[(static_cast<size_t>(y) * side + x) * 3];
            p[0] = static_cast<uint8_t>((check ? 200 : 70) + grain);
            p[1] = static_cast<uint8_t>((check ? 150 : 110) + grain);
            p[2] = static_cast<uint8_t>(x % 64 < 4 || y % 64 < 4 ? 240 : (check ? 90 : 160) + grain);
        }
    return pixels;
}

std::vector<uint8_t> OverdrawTextureFile() {
    const int side = kOverdrawTextureSide;
    // Uncompressed true colour, 24 bits, the first row at the top (bit 5).
    std::vector<uint8_t> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 static_cast<uint8_t>(side & 255), static_cast<uint8_t>(side >> 8),
                                 static_cast<uint8_t>(side & 255), static_cast<uint8_t>(side >> 8), 24, 0x20};
    std::vector<uint8_t> pixels = OverdrawTexturePixels();
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

}  // namespace velmora::tools
