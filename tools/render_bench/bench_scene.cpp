#include "render_bench/bench_scene.h"

#include <cmath>

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

}  // namespace velmora::tools
