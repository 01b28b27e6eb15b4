// A flight down a winding tunnel of plasma with square ribs, chasing three
// coloured lights with gems at their hearts, a headlight on the camera, and a
// wider second camera that lays a half-transparent trail over the middle.
#include <cmath>

#include "sample_show/show_scene.h"
#include "sample_show/show_textures.h"
#include "sample_show/show_timing.h"

namespace velmora::tools {

namespace {

constexpr int kFrames = static_cast<int>(kSceneSeconds * 25);  // at 25 frames a second
constexpr float kSegment = 20.0f;
constexpr int kSegments = 42;

enum Style { kWall, kRib, kCyan, kAmber, kMagenta };

Vec3 PathAt(float s) { return {9.0f * std::sin(s / 55.0f), 5.0f * std::sin(s / 37.0f + 1.0f), s}; }
Vec3 PathTangent(float s) { return Normalised(PathAt(s + 0.5f) - PathAt(s - 0.5f)); }
float RadiusAt(float s) { return 5.0f + 0.8f * std::sin(s / 9.0f); }
// How far along the path the camera is: it speeds up as the tune builds.
float CameraDistance(int f) { return 4.0f + 1.2f * f + 0.00187f * f * f; }
double ShowSeconds(int f) { return kTunnelStart + f / 25.0; }

// A point off the path: around it at the given angle and distance.
Vec3 Beside(float s, float angle, float distance) {
    const Vec3 tangent = PathTangent(s);
    const Vec3 side = Normalised(Cross({0, 1, 0}, tangent)), up = Cross(tangent, side);
    return PathAt(s) + (side * std::cos(angle) + up * std::sin(angle)) * distance;
}

}  // namespace

ShowScene TunnelScene() {
    ShowScene show;
    show.fileName = "tunnel.QX3";
    show.framesPerSecond = 25;
    SceneDescription& scene = show.scene;
    scene.frameCount = kFrames;
    for (int f = 0; f < kFrames; ++f) {
        // The walls glow a little brighter on every beat.
        const int lift = static_cast<int>(40.0f * BeatFlash(ShowSeconds(f), 6.0f));
        scene.ambient.push_back(static_cast<uint32_t>((0x10 + lift) << 16 | (0x0C + lift / 2) << 8 | (0x20 + lift)));
    }
    scene.drawStyles = {
        // The name keeps the folder it was drawn in; local paths cut it.
        {0.85f, 0.85f, 0.9f, 0.0f, std::string("maps\\") + kPlasmaTexture},
        {1.0f, 1.0f, 1.0f, 0.0f, kHazardTexture},
        // The gems take the plasma's colours, added on top of the tunnel.
        {0.3f, 0.9f, 1.0f, 0.0f, kPlasmaTexture},
        {1.0f, 0.6f, 0.15f, 0.0f, kPlasmaTexture},
        {1.0f, 0.3f, 0.9f, 0.0f, kPlasmaTexture},
    };

    std::vector<WriterPart> walls, ribs;
    for (int k = 0; k < kSegments; ++k) {
        const float s0 = k * kSegment;
        walls.push_back(TubePart(
            kWall, 5, 16, s0, s0 + kSegment,
            [](float s) { return TubeRing{PathAt(s), {0, 1, 0}, RadiusAt(s)}; }, true, 2.0f, 1.0f));
        ribs.push_back(RingPart(kRib, PathAt(s0), PathTangent(s0), RadiusAt(s0) - 0.35f, 0.55f, 16, 4));
    }
    scene.objects.push_back(Still("Tube", walls));
    scene.objects.push_back(Still("Ribs", ribs));

    // Three lights run ahead of the camera, spiralling round the path, each
    // with a gem at its heart: quadratic, linear and constant attenuation.
    struct Runner {
        const char* gem;
        int32_t style;
        float ahead, spiral, distance;
        float r, g, b;
    };
    const Runner runners[3] = {
        {"GemCyan", kCyan, 22.0f, 1.3f, 2.2f, 0.3f, 0.9f, 1.0f},
        {"GemAmber", kAmber, 40.0f, -0.9f, 3.0f, 1.0f, 0.55f, 0.15f},
        {"GemMagenta", kMagenta, 62.0f, 2.1f, 2.6f, 1.0f, 0.3f, 0.9f},
    };
    WriterLight lights[3] = {MakeLight("Lead", false, 2, 0.5f, 3.0f, 60.0f),
                             MakeLight("Ember", false, 1, 0.5f, 3.0f, 60.0f),
                             MakeLight("Flash", false, 0, 0.45f, 1.0f, 16.0f)};
    for (int i = 0; i < 3; ++i) {
        const Runner& runner = runners[i];
        auto where = [runner](int f) {
            const float s = CameraDistance(f) + runner.ahead;
            return Beside(s, runner.spiral * f / 25.0f, runner.distance);
        };
        scene.objects.push_back(Animated(runner.gem, {GemPart(runner.style, 0.6f)}, kFrames, [where](int f) {
            return Multiply(RotationY(f * 0.15f), Translation(where(f)));
        }));
        for (int f = 0; f < kFrames; ++f) {
            const Vec3 at = where(f);
            // The constant light flashes on the beat, the others breathe with it.
            const float beat = BeatFlash(ShowSeconds(f), i == 2 ? 3.0f : 1.5f);
            const float level = i == 2 ? 0.2f + 0.8f * beat : 0.7f + 0.3f * beat;
            lights[i].frames.push_back({runner.r * level, runner.g * level, runner.b * level, {{at.x}, {at.y}, {at.z}}, {}});
        }
    }
    WriterLight head = MakeLight("Head", true, 2, 0.5f, 4.0f, 80.0f);
    for (int f = 0; f < kFrames; ++f) {
        const float s = CameraDistance(f);
        const Vec3 at = PathAt(s), towards = PathTangent(s + 6.0f);
        head.frames.push_back({0.8f, 0.85f, 1.0f, {{at.x}, {at.y}, {at.z}}, {{towards.x}, {towards.y}, {towards.z}}});
    }
    scene.lights = {lights[0], lights[1], lights[2], head};

    WriterCamera rush = MakeCamera("RushCam", kFrames), fly = MakeCamera("FlyCam", kFrames);
    for (int f = 0; f < kFrames; ++f) {
        const float s = CameraDistance(f);
        const float roll = 0.35f * std::sin(f / 45.0f);
        AddCameraFrame(fly, 1.05f, LookAt(PathAt(s), PathAt(s + 14.0f), {0, 1, 0}, roll));
        AddCameraFrame(rush, 1.05f, LookAt(PathAt(s - 1.5f), PathAt(s + 14.0f), {0, 1, 0}, roll * 1.5f));
    }
    scene.cameras = {rush, fly};

    show.windows = {
        {"FlyCam", 0, kFrames, 15, 25, 100, 0, false},
        {"RushCam", 140, 320, 30, 30, 30, 0x101010, false},
    };
    show.blurs = {{"RushCam", 3}};
    show.order = {"FlyCam", "RushCam"};
    show.shading = {{"Tube", "Gouraud"}, {"Ribs", "Flat"}};
    show.overlays = {{"GemCyan", "TRUE"}, {"GemAmber", "TRUE"}, {"GemMagenta", "TRUE"}};
    // The gems add their light, so their far sides add to it too.
    show.backfaces = {{"GemCyan", "FALSE"}, {"GemAmber", "FALSE"}, {"GemMagenta", "FALSE"}};
    return show;
}

}  // namespace velmora::tools
