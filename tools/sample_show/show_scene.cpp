#include "sample_show/show_scene.h"

#include <cmath>

#include "sample_show/show_music.h"
#include "sample_show/show_timing.h"

namespace velmora::tools {

WriterCamera MakeCamera(const std::string& name, int frames) {
    WriterCamera camera;
    camera.name = name;
    camera.fov.reserve(static_cast<size_t>(frames));
    camera.matrices.reserve(static_cast<size_t>(frames));
    return camera;
}

void AddCameraFrame(WriterCamera& camera, float fov, const D3DMATRIX& view) {
    camera.fov.push_back(fov);
    camera.matrices.push_back(view);
}

WriterLight MakeLight(const std::string& name, bool spot, int attenuation, float intensity, float multiplier,
                      float range) {
    WriterLight light;
    light.name = name;
    light.secondName = spot ? name + ".Target" : "";
    light.spot = spot;
    light.attenuation = attenuation;
    light.intensity = intensity;
    light.colourMultiplier = multiplier;
    light.range = range;
    light.animated = true;
    return light;
}

WriterPart FlarePart(int32_t drawStyle, float size, Vec3 centre) {
    PartBuilder builder(drawStyle);
    builder.Sprite(centre, {size, 0, 0}, {0, size, 0});
    builder.Sprite(centre, {0, 0, size}, {0, size, 0});
    builder.Sprite(centre, {size, 0, 0}, {0, 0, size});
    return builder.Take();
}

WriterPart GemPart(int32_t drawStyle, float size, Vec3 centre) {
    PartBuilder builder(drawStyle);
    const Vec3 tips[2] = {{0, size, 0}, {0, -size, 0}};
    const float waist = size * 0.55f;
    const Vec3 around[4] = {{waist, 0, 0}, {0, 0, waist}, {-waist, 0, 0}, {0, 0, -waist}};
    for (const Vec3& tip : tips)
        for (int k = 0; k < 4; ++k) {
            const Vec3 a = around[k], b = around[(k + 1) % 4];
            const int32_t i = builder.Vertex(centre + tip, 0.5f, 0.0f);
            const int32_t j = builder.Vertex(centre + a, 0.0f, 1.0f);
            const int32_t l = builder.Vertex(centre + b, 1.0f, 1.0f);
            builder.Triangle(i, j, l, tip + a + b);
        }
    return builder.Take();
}

WriterPart RingPart(int32_t drawStyle, Vec3 centre, Vec3 tangent, float radius, float thickness, int segments,
                    int sides) {
    const Vec3 axis = Normalised(tangent);
    const Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    const Vec3 first = Normalised(Cross(helper, axis)), second = Cross(axis, first);
    return TubePart(
        drawStyle, segments, sides, 0.0f, 1.0f,
        [=](float t) {
            const float a = 6.2831853f * t;
            const Vec3 out = first * std::cos(a) + second * std::sin(a);
            return TubeRing{centre + out * radius, out, thickness};
        },
        false, 4.0f, 1.0f);
}

float BeatPhase(double showSeconds) {
    const double beats = (showSeconds - kTuneStart) / kTuneBeatSeconds;
    return static_cast<float>(beats - std::floor(beats));
}

float BeatFlash(double showSeconds, float sharpness) { return std::exp(-BeatPhase(showSeconds) * sharpness); }

float Ease(float t) {
    t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
    return t * t * (3.0f - 2.0f * t);
}

WriterObject Animated(const std::string& name, std::vector<WriterPart> parts, int frames,
                      const std::function<D3DMATRIX(int)>& place) {
    WriterObject object;
    object.name = name;
    object.parts = std::move(parts);
    object.animated = true;
    for (int f = 0; f < frames; ++f) object.matrices.push_back(place(f));
    return object;
}

WriterObject Still(const std::string& name, std::vector<WriterPart> parts) {
    WriterObject object;
    object.name = name;
    object.parts = std::move(parts);
    object.matrices.push_back(IdentityMatrix());
    return object;
}

}  // namespace velmora::tools
