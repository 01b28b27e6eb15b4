// A torus knot of brushed metal and gold turns over a floor of glowing
// tiles, inside two rings (one faceted, one of glass), lit by coloured
// lights of every kind that pulse with the tune. An orbiting camera hands
// over to a low close one; a third, half-transparent camera leaves a trail
// behind everything that moves.
#include <cmath>

#include "sample_show/show_music.h"
#include "sample_show/show_scene.h"
#include "sample_show/show_textures.h"
#include "sample_show/show_timing.h"

namespace velmora::tools {

namespace {

constexpr int kFrames = static_cast<int>(kSceneSeconds * 25);  // at 25 frames a second
constexpr int kKnotParts = 6;

enum Style { kSteel, kGold, kFloor, kFaceted, kStud, kGlass, kRedFlare, kGreenFlare, kBlueFlare };

double ShowSeconds(int f) { return kKnotStart + f / 25.0; }

// The (2, 3) torus knot.
Vec3 KnotAt(float t) {
    const float a = 6.2831853f * t;
    const float ring = 5.5f + 2.2f * std::cos(3.0f * a);
    return {ring * std::cos(2.0f * a), ring * std::sin(2.0f * a), -2.2f * std::sin(3.0f * a)};
}

// Away from the circle the knot winds round, which never lies on the knot.
Vec3 KnotSide(float t) {
    const float a = 6.2831853f * t;
    return KnotAt(t) - Vec3{5.5f * std::cos(2.0f * a), 5.5f * std::sin(2.0f * a), 0.0f};
}

// The knot itself, turning, with a small kick on every beat.
void AddKnot(SceneDescription& scene) {
    std::vector<WriterPart> knot;
    for (int k = 0; k < kKnotParts; ++k) {
        const float t0 = static_cast<float>(k) / kKnotParts, t1 = static_cast<float>(k + 1) / kKnotParts;
        knot.push_back(TubePart(
            k % 2 ? kGold : kSteel, 28, 10, t0, t1,
            [](float t) { return TubeRing{KnotAt(t), KnotSide(t), 1.05f}; }, false, 1.0f, 4.0f));
    }
    scene.objects.push_back(Animated("Knot", knot, kFrames, [](int f) {
        const float t = f / 25.0f;
        // A small kick on every beat.
        const float kick = 1.0f + 0.05f * BeatFlash(ShowSeconds(f), 6.0f);
        return Multiply(Multiply(Scaling(kick, kick, kick), RotationY(0.5f * t)),
                        Multiply(RotationX(0.3f * t + 0.4f), Translation({0, 1.0f, 0})));
    }));
}

// The floor of glowing tiles.
void AddFloor(SceneDescription& scene) {
    PartBuilder floor(kFloor);
    floor.Grid(8, 8, 6.0f, 6.0f, [](int i, int j, Vec3& position, Vec3& front) {
        position = {-45.0f + 90.0f * i / 8, -13.0f, 45.0f - 90.0f * j / 8};
        front = {0, 1, 0};
    });
    scene.objects.push_back(Still("Floor", {floor.Take()}));
}

// The faceted ring with its studs, and the glass one.
void AddRings(SceneDescription& scene) {
    std::vector<WriterPart> faceted = {TorusPart(kFaceted, 11.0f, 0.5f, 36, 6, 6.0f, 1.0f)};
    PartBuilder studs(kStud);
    for (int k = 0; k < 8; ++k) {
        const float a = 6.2831853f * k / 8;
        const Vec3 at{11.0f * std::cos(a), 11.0f * std::sin(a), 0.0f};
        studs.Box(at - Vec3{0.7f, 0.7f, 0.7f}, at + Vec3{0.7f, 0.7f, 0.7f});
    }
    faceted.push_back(studs.Take());
    scene.objects.push_back(Animated("Orbit1", faceted, kFrames, [](int f) {
        const float t = f / 25.0f;
        return Multiply(RotationZ(0.6f * t), Multiply(RotationX(1.2f), RotationY(0.25f * t)));
    }));
    scene.objects.push_back(Animated("Orbit2", {TorusPart(kGlass, 13.5f, 0.7f, 40, 8, 1.0f, 1.0f)}, kFrames,
                                     [](int f) {
                                         const float t = f / 25.0f;
                                         return Multiply(RotationX(-0.4f * t), RotationY(0.7f + 0.15f * t));
                                     }));
}

void AddOrbiters(SceneDescription& scene) {
    // Point lights of each kind circle the knot, each with a flare.
    struct Orbiter {
        const char* name;
        const char* flare;
        int attenuation;
        float intensity, multiplier, range, radius, speed, height;
        float r, g, b;
        int32_t style;
    };
    const Orbiter orbiters[3] = {
        {"RedOmni", "FlareRed", 0, 0.5f, 1.0f, 20.0f, 14.0f, 0.9f, 2.0f, 1.0f, 0.15f, 0.1f, kRedFlare},
        {"GreenOmni", "FlareGreen", 1, 0.5f, 3.0f, 80.0f, 12.0f, -0.7f, -4.0f, 0.15f, 1.0f, 0.25f, kGreenFlare},
        {"BlueOmni", "FlareBlue", 2, 0.5f, 4.0f, 80.0f, 9.0f, 1.3f, 6.0f, 0.2f, 0.35f, 1.0f, kBlueFlare},
    };
    for (int i = 0; i < 3; ++i) {
        const Orbiter& o = orbiters[i];
        auto where = [o, i](int f) {
            const float a = o.speed * f / 25.0f + 2.1f * i;
            return Vec3{o.radius * std::cos(a), o.height + 2.5f * std::sin(a * 1.7f), o.radius * std::sin(a)};
        };
        scene.objects.push_back(Animated(o.flare, {FlarePart(o.style, 2.4f)}, kFrames,
                                         [where](int f) { return Translation(where(f)); }));
        WriterLight light = MakeLight(o.name, false, o.attenuation, o.intensity, o.multiplier, o.range);
        for (int f = 0; f < kFrames; ++f) {
            // A little outside its flare, which it would otherwise light white.
            const Vec3 at = where(f) * ((o.radius + 2.5f) / o.radius);
            // Each light leans on a different beat of the bar.
            const float beat = BeatFlash(ShowSeconds(f) - i * kTuneBeatSeconds, 2.5f);
            const float level = 0.6f + 0.4f * beat;
            light.frames.push_back({o.r * level, o.g * level, o.b * level, {{at.x}, {at.y}, {at.z}}, {}});
        }
        scene.lights.push_back(light);
    }
}

// Spot lights of each kind from above, the side and below.
void AddBeams(SceneDescription& scene) {
    struct Beam {
        const char* name;
        int attenuation;
        float intensity, multiplier;
        Vec3 from;
        float r, g, b;
    };
    const Beam beams[3] = {
        {"SpotTop", 0, 0.12f, 1.0f, {0, 30, 0}, 1.0f, 0.9f, 0.75f},
        {"SpotSide", 1, 0.5f, 8.0f, {-24, 4, -10}, 0.9f, 0.5f, 1.0f},
        {"SpotLow", 2, 0.5f, 30.0f, {10, -11, -14}, 1.0f, 0.6f, 0.2f},
    };
    for (const Beam& beam : beams) {
        WriterLight light = MakeLight(beam.name, true, beam.attenuation, beam.intensity, beam.multiplier, 120.0f);
        for (int f = 0; f < kFrames; ++f) {
            const float t = f / 25.0f;
            const Vec3 target{4.0f * std::sin(t * 0.9f), 0.0f, 4.0f * std::cos(t * 0.6f)};
            const Vec3 towards = Normalised(target - beam.from);
            light.frames.push_back({beam.r, beam.g, beam.b, {{beam.from.x}, {beam.from.y}, {beam.from.z}},
                                    {{towards.x}, {towards.y}, {towards.z}}});
        }
        scene.lights.push_back(light);
    }
}

void AddCameras(SceneDescription& scene) {
    // In the file: the echo camera, the close one, the orbiting one; the
    // order line draws them the other way round.
    WriterCamera echo = MakeCamera("Echo", kFrames), close = MakeCamera("Close", kFrames),
                 orbit = MakeCamera("Orbit", kFrames);
    for (int f = 0; f < kFrames; ++f) {
        const float t = f / 25.0f;
        const float a = -1.9f + 0.32f * t;
        const Vec3 around{34.0f * std::cos(a), 7.0f + 5.0f * std::sin(t * 0.4f), 34.0f * std::sin(a)};
        const D3DMATRIX orbitView = LookAt(around, {0, 0, 0}, {0, 1, 0});
        const float b = 2.6f - 0.22f * t;
        const Vec3 low{24.0f * std::cos(b), -6.0f + 3.0f * Ease((t - 7.0f) / 8.0f), 24.0f * std::sin(b)};
        const D3DMATRIX closeView = LookAt(low, {0, 1.5f, 0}, {0, 1, 0}, 0.12f * std::sin(t * 0.5f));
        AddCameraFrame(orbit, 0.9f, orbitView);
        AddCameraFrame(close, 0.8f, closeView);
        // The echo follows whichever camera is in front.
        if (f < 188) AddCameraFrame(echo, 0.9f, orbitView);
        else AddCameraFrame(echo, 0.8f, closeView);
    }
    scene.cameras = {echo, close, orbit};
}

}  // namespace

ShowScene KnotScene() {
    ShowScene show;
    show.fileName = "knot.QX3";
    show.framesPerSecond = 25;
    SceneDescription& scene = show.scene;
    scene.frameCount = kFrames;
    scene.ambient.assign(kFrames, 0x181820);
    scene.drawStyles = {
        {0.45f, 0.5f, 0.65f, 0.0f, kMetalTexture},
        {0.8f, 0.5f, 0.15f, 0.0f, kMetalTexture},
        {1.0f, 1.0f, 1.0f, 0.0f, kTilesTexture},
        {0.7f, 0.75f, 0.85f, 0.0f, kMetalTexture},
        {1.0f, 0.35f, 0.2f, 0.0f, kMetalTexture},
        {0.4f, 0.8f, 1.0f, 0.55f, kMetalTexture},
        {1.0f, 0.35f, 0.25f, 0.02f, kGlowTexture},
        {0.35f, 1.0f, 0.45f, 0.02f, kGlowTexture},
        {0.35f, 0.55f, 1.0f, 0.02f, kGlowTexture},
    };

    AddKnot(scene);
    AddFloor(scene);
    AddRings(scene);
    AddOrbiters(scene);
    AddBeams(scene);
    AddCameras(scene);

    show.windows = {
        {"Orbit", 0, 200, 25, 25, 100, 0, false},
        {"Close", 175, kFrames, 25, 30, 100, 0x080808, false},
        {"Echo", 50, 200, 20, 25, 30, 0, false},
        {"Echo", 260, kFrames, 20, 30, 30, 0, false},
    };
    show.blurs = {{"Echo", 5}};
    show.order = {"Orbit", "Close", "Echo"};
    show.shading = {{"Knot", "Gouraud"}, {"Orbit1", "Flat"}};
    show.overlays = {{"FlareRed", "TRUE"}, {"FlareGreen", "TRUE"}, {"FlareBlue", "TRUE"}};
    // The glass ring hides its inner side, which a translucent object
    // otherwise shows.
    show.backfaces = {{"Orbit2", "TRUE"}, {"FlareRed", "FALSE"}, {"FlareGreen", "FALSE"}, {"FlareBlue", "FALSE"}};
    return show;
}

}  // namespace velmora::tools
