// The title: the lettering flies in and settles among three turning gold
// rings with flares on them, seen by a camera that drifts in and by an
// additive camera that lays a glowing trail over the picture.
#include <cmath>

#include "sample_show/show_scene.h"
#include "sample_show/show_textures.h"
#include "sample_show/show_timing.h"

namespace velmora::tools {

namespace {

// From the start to the tune, at 30 frames a second.
constexpr int kFrames = static_cast<int>((kTuneStart - kTitleStart) * 30);

enum Style { kLogo, kGold, kBead, kWarmFlare, kCoolFlare };

// A ring of beads round the z axis, turned by its object's matrix.
std::vector<WriterPart> RingParts(float radius, int beads) {
    std::vector<WriterPart> parts;
    parts.push_back(TorusPart(kGold, radius, 0.28f, 48, 8, 1.0f, 1.0f));
    PartBuilder studs(kBead);
    for (int k = 0; k < beads; ++k) {
        const float a = 6.2831853f * k / beads;
        const Vec3 at{radius * std::cos(a), radius * std::sin(a), 0.0f};
        studs.Box(at - Vec3{0.45f, 0.45f, 0.45f}, at + Vec3{0.45f, 0.45f, 0.45f});
    }
    parts.push_back(studs.Take());
    return parts;
}

// Flares on every other bead of a ring.
std::vector<WriterPart> FlareParts(float radius, int beads, int32_t style) {
    std::vector<WriterPart> parts;
    for (int k = 0; k < beads; k += 2) {
        const float a = 6.2831853f * k / beads;
        parts.push_back(FlarePart(style, 1.7f, {radius * std::cos(a), radius * std::sin(a), 0.0f}));
    }
    return parts;
}

// How a ring turns: about its own axis, with the axis itself tipped.
D3DMATRIX RingTurn(int frame, float spin, float tipX, float tipY) {
    const float t = frame / 30.0f;
    return Multiply(Multiply(RotationZ(spin * t), RotationX(tipX + 0.15f * std::sin(t * 0.7f))),
                    RotationY(tipY + 0.2f * t));
}

}  // namespace

ShowScene TitleScene() {
    ShowScene show;
    show.fileName = "title.QX3";
    show.framesPerSecond = 30;
    SceneDescription& scene = show.scene;
    scene.frameCount = kFrames;
    // Mostly lit by the ambient light, so that the glow camera, which takes
    // most of it away, sees little but the coloured lights. An additive
    // camera cannot fade (it adds at full strength whatever its percentage),
    // so the lights rise at the start and the lights and the ambient sink at
    // the end, where the title camera fades, until the glow adds nothing.
    for (int f = 0; f < kFrames; ++f) {
        const uint32_t sink = static_cast<uint32_t>(std::lround(16.0f * Ease((f - 195) / 45.0f)));
        scene.ambient.push_back((0x80 - sink) << 16 | (0x80 - sink) << 8 | (0x88 - sink));
    }
    scene.drawStyles = {
        // Translucent (if only just), so that it is drawn after the rings
        // without writing depth where the lettering is clear.
        {1.0f, 1.0f, 1.0f, 0.01f, kLogoTexture},
        {0.85f, 0.55f, 0.2f, 0.0f, kMetalTexture},
        {1.0f, 0.3f, 0.7f, 0.0f, kMetalTexture},
        {1.0f, 0.75f, 0.45f, 0.02f, kGlowTexture},
        {0.45f, 0.7f, 1.0f, 0.02f, kGlowTexture},
    };

    PartBuilder logo(kLogo);
    logo.Sprite({0, 0, 0}, {8.0f, 0, 0}, {0, 4.0f, 0});
    scene.objects.push_back(Animated("Logo", {logo.Take()}, kFrames, [](int f) {
        // Flies in from far behind, turning to face the camera, then floats.
        const float in = Ease(f / 75.0f);
        const float t = f / 30.0f;
        const D3DMATRIX turn = RotationY((1.0f - in) * -1.6f + 0.1f * std::sin(t * 1.3f) * in);
        return Multiply(turn, Translation({0.0f, 0.35f * std::sin(t * 2.1f) * in, 60.0f * (1.0f - in)}));
    }));

    struct Ring {
        const char* name;
        const char* flares;
        float radius, spin, tipX, tipY;
        int beads;
        int32_t flareStyle;
    };
    const Ring rings[3] = {
        {"RingA", "FlaresA", 10.0f, 0.9f, 1.2f, 0.0f, 8, kWarmFlare},
        {"RingB", "FlaresB", 11.5f, -0.6f, 0.3f, 1.1f, 10, kCoolFlare},
        {"RingC", "FlaresC", 13.0f, 0.45f, 2.0f, -0.8f, 12, kWarmFlare},
    };
    for (const Ring& ring : rings) {
        auto place = [ring](int f) { return RingTurn(f, ring.spin, ring.tipX, ring.tipY); };
        scene.objects.push_back(Animated(ring.name, RingParts(ring.radius, ring.beads), kFrames, place));
        scene.objects.push_back(
            Animated(ring.flares, FlareParts(ring.radius, ring.beads, ring.flareStyle), kFrames, place));
    }

    // A white key light, a warm spot sweeping over the rings and a violet
    // light circling close to the lettering: constant, linear and quadratic.
    WriterLight key = MakeLight("Key", false, 0, 0.08f, 1.0f, 400.0f);
    WriterLight sweep = MakeLight("Sweep", true, 1, 1.0f, 6.0f, 200.0f);
    WriterLight pulse = MakeLight("Pulse", false, 2, 1.0f, 2.0f, 60.0f);
    for (int f = 0; f < kFrames; ++f) {
        const float t = f / 30.0f;
        const float level = Ease(f / 40.0f) * (1.0f - Ease((f - 195) / 45.0f));
        key.frames.push_back({level, 0.95f * level, 0.9f * level, {{-18.0f}, {12.0f}, {-25.0f}}, {}});
        const Vec3 from{14.0f * std::sin(t * 0.8f), 18.0f, -12.0f};
        const Vec3 towards = Normalised(Vec3{0, 0, 4} - from);
        sweep.frames.push_back({level, 0.55f * level, 0.2f * level, {{from.x}, {from.y}, {from.z}},
                                {{towards.x}, {towards.y}, {towards.z}}});
        const float a = t * 1.7f;
        pulse.frames.push_back({0.7f * level, 0.3f * level, level,
                                {{7.0f * std::cos(a)}, {3.5f * std::sin(a * 1.3f)}, {-3.0f + 2.0f * std::sin(a)}}, {}});
    }
    scene.lights = {key, sweep, pulse};

    // The glow camera comes first in the file; the order line draws the
    // title camera first.
    WriterCamera glow = MakeCamera("GlowCam", kFrames), title = MakeCamera("TitleCam", kFrames);
    for (int f = 0; f < kFrames; ++f) {
        const float in = Ease(f / 200.0f);
        const Vec3 eye{3.0f * (1.0f - in), 2.0f - 2.5f * in, -36.0f + 8.0f * in};
        const D3DMATRIX view = LookAt(eye, {0, 0, 0}, {0, 1, 0}, 0.08f * (1.0f - in));
        AddCameraFrame(glow, 0.85f, view);
        AddCameraFrame(title, 0.85f, view);
    }
    scene.cameras = {glow, title};

    show.windows = {
        {"TitleCam", 0, kFrames, 40, 40, 100, 0, false},
        // An additive camera starts without a fade-in: its first frame would
        // otherwise be drawn opaque.
        {"GlowCam", 20, kFrames, 0, 45, 30, -0x707070, true},
    };
    show.blurs = {{"GlowCam", 3}};
    show.order = {"TitleCam", "GlowCam"};
    show.shading = {{"RingA", "Gouraud"}, {"RingB", "Gouraud"}, {"RingC", "Flat"}};
    show.overlays = {{"FlaresA", "TRUE"}, {"FlaresB", "TRUE"}, {"FlaresC", "TRUE"}};
    return show;
}

}  // namespace velmora::tools
