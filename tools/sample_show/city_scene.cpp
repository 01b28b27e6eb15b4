// A night flight through a city: walled blocks of towers with lit windows
// and a metal spire in the middle, cars of light driving the streets,
// searchlights sweeping from the roofs. A camera flies down a street at
// window height, where the walls and towers hide most of the city, and an
// aerial camera takes over to circle it at the end.
#include <cmath>
#include <string>

#include "sample_show/procedural.h"
#include "sample_show/show_scene.h"
#include "sample_show/show_textures.h"
#include "sample_show/show_timing.h"

namespace velmora::tools {

namespace {

constexpr int kFrames = static_cast<int>(kSceneSeconds * 25);  // at 25 frames a second
constexpr int kBlocks = 5;    // blocks a side
constexpr float kPitch = 40.0f;
constexpr float kBlock = 28.0f;

enum Style { kGround, kBrick, kTower, kSpire, kCarWarm, kCarCool, kCarRed };

double ShowSeconds(int f) { return kCityStart + f / 25.0; }
float BlockCentre(int i) { return (i - kBlocks / 2) * kPitch; }

// The street camera's path: down the street at x = 20, then up and over.
Vec3 StreetEye(int f) {
    const float t = f / 25.0f;
    const float rise = Ease((t - 6.0f) / 4.0f);
    return {20.0f + 1.5f * std::sin(t * 0.9f), 3.0f + 40.0f * rise, -110.0f + 17.0f * t};
}

// The tiled ground under the whole city.
void AddGround(SceneDescription& scene) {
    PartBuilder ground(kGround);
    ground.Grid(10, 10, 14.0f, 14.0f, [](int i, int j, Vec3& position, Vec3& front) {
        position = {-120.0f + 240.0f * i / 10, 0.0f, 120.0f - 240.0f * j / 10};
        front = {0, 1, 0};
    });
    scene.objects.push_back(Still("Ground", {ground.Take()}));
}

void AddBlocks(SceneDescription& scene) {
    // Each block: a brick wall round it (one part) and four towers (a part each).
    Random random(2024u);
    for (int i = 0; i < kBlocks; ++i)
        for (int j = 0; j < kBlocks; ++j) {
            const float cx = BlockCentre(i), cz = BlockCentre(j), h = kBlock / 2;
            std::vector<WriterPart> parts;
            PartBuilder wall(kBrick);
            const float height = 6.0f, thick = 0.8f;
            wall.Box({cx - h, 0, cz - h}, {cx + h, height, cz - h + thick}, 1.0f / 8);
            wall.Box({cx - h, 0, cz + h - thick}, {cx + h, height, cz + h}, 1.0f / 8);
            wall.Box({cx - h, 0, cz - h + thick}, {cx - h + thick, height, cz + h - thick}, 1.0f / 8);
            wall.Box({cx + h - thick, 0, cz - h + thick}, {cx + h, height, cz + h - thick}, 1.0f / 8);
            parts.push_back(wall.Take());
            const bool centre = i == kBlocks / 2 && j == kBlocks / 2;
            for (int k = 0; k < 4 && !centre; ++k) {
                const float x = cx + (k % 2 ? 6.5f : -6.5f), z = cz + (k / 2 ? 6.5f : -6.5f);
                const float w = random.Between(3.5f, 5.0f), tall = random.Between(12.0f, 44.0f);
                PartBuilder tower(kTower);
                tower.Box({x - w, 0, z - w}, {x + w, tall, z + w}, 1.0f / 10);
                parts.push_back(tower.Take());
            }
            if (centre) {
                // The spire: a tapering eight-sided tube.
                parts.push_back(TubePart(
                    kSpire, 6, 8, 0.0f, 1.0f,
                    [cx, cz](float t) { return TubeRing{{cx, 70.0f * t, cz}, {1, 0, 0}, 5.0f * (1.0f - 0.85f * t)}; },
                    false, 4.0f, 6.0f));
            }
            const std::string name = std::string(centre ? "Plaza" : "Block") + std::to_string(i) + std::to_string(j);
            scene.objects.push_back(Still(name, parts));
        }
}

void AddCars(SceneDescription& scene) {
    // Cars of light down the streets, each with a street light of its own
    // (constant, linear and quadratic), and searchlights on the roofs.
    struct Car {
        const char* name;
        const char* light;
        int32_t style;
        int attenuation;
        float multiplier, range;
        Vec3 from, to;
        float r, g, b;
    };
    const Car cars[3] = {
        {"CarWarm", "StreetWarm", kCarWarm, 0, 1.0f, 14.0f, {20, 1.5f, 110}, {20, 1.5f, -110}, 1.0f, 0.75f, 0.4f},
        {"CarCool", "StreetCool", kCarCool, 1, 4.0f, 60.0f, {-110, 1.5f, -20}, {110, 1.5f, -20}, 0.4f, 0.75f, 1.0f},
        {"CarRed", "StreetRed", kCarRed, 2, 12.0f, 60.0f, {-20, 1.5f, -110}, {-20, 1.5f, 110}, 1.0f, 0.25f, 0.2f},
    };
    for (const Car& car : cars) {
        auto where = [car](int f) {
            const float t = std::fmod(f / 200.0f + (car.from.x > 0 ? 0.3f : 0.0f), 1.0f);
            return car.from + (car.to - car.from) * t;
        };
        scene.objects.push_back(Animated(car.name, {FlarePart(car.style, 2.0f)}, kFrames,
                                         [where](int f) { return Translation(where(f)); }));
        WriterLight light = MakeLight(car.light, false, car.attenuation, 0.5f, car.multiplier, car.range);
        for (int f = 0; f < kFrames; ++f) {
            const Vec3 at = where(f) + Vec3{0, 1.5f, 0};
            light.frames.push_back({car.r, car.g, car.b, {{at.x}, {at.y}, {at.z}}, {}});
        }
        scene.lights.push_back(light);
    }
}

// Searchlights sweeping from the roofs, each lighting up on the beat.
void AddSearchlights(SceneDescription& scene) {
    struct Searchlight {
        const char* name;
        int attenuation;
        float intensity, multiplier;
        Vec3 from;
        float phase, r, g, b;
    };
    const Searchlight searchlights[3] = {
        {"SearchWhite", 0, 0.25f, 1.0f, {-40, 46, 40}, 0.0f, 0.9f, 0.9f, 1.0f},
        {"SearchBlue", 1, 0.5f, 10.0f, {40, 40, 40}, 2.0f, 0.4f, 0.6f, 1.0f},
        {"SearchAmber", 2, 0.5f, 80.0f, {0, 72, 0}, 4.0f, 1.0f, 0.7f, 0.3f},
    };
    for (const Searchlight& s : searchlights) {
        WriterLight light = MakeLight(s.name, true, s.attenuation, s.intensity, s.multiplier, 200.0f);
        for (int f = 0; f < kFrames; ++f) {
            const float a = s.phase + f / 25.0f * 0.8f;
            // Each sweep lights up on the beat.
            const float level = 0.65f + 0.35f * BeatFlash(ShowSeconds(f), 3.0f);
            const Vec3 target{s.from.x + 40.0f * std::cos(a), 0.0f, s.from.z + 40.0f * std::sin(a)};
            const Vec3 towards = Normalised(target - s.from);
            light.frames.push_back({s.r * level, s.g * level, s.b * level, {{s.from.x}, {s.from.y}, {s.from.z}},
                                    {{towards.x}, {towards.y}, {towards.z}}});
        }
        scene.lights.push_back(light);
    }
}

// The street camera, and the aerial one that circles the city at the end.
void AddCameras(SceneDescription& scene) {
    WriterCamera street = MakeCamera("Street", kFrames), air = MakeCamera("Air", kFrames);
    for (int f = 0; f < kFrames; ++f) {
        const float t = f / 25.0f;
        const Vec3 eye = StreetEye(f);
        const float look = Ease((t - 6.0f) / 4.0f);
        const Vec3 target = eye + Vec3{-1.5f * std::sin(t * 0.5f), -6.0f * look, 20.0f};
        AddCameraFrame(street, 1.0f, LookAt(eye, target, {0, 1, 0}, 0.05f * std::sin(t * 1.1f)));
        const float a = 0.9f + 0.2f * t;
        const Vec3 high{130.0f * std::cos(a), 55.0f + 25.0f * Ease((t - 8.0f) / 7.0f), 130.0f * std::sin(a)};
        AddCameraFrame(air, 0.8f, LookAt(high, {0, 12, 0}, {0, 1, 0}));
    }
    scene.cameras = {street, air};
}

}  // namespace

ShowScene CityScene() {
    ShowScene show;
    show.fileName = "city.QX3";
    show.framesPerSecond = 25;
    SceneDescription& scene = show.scene;
    scene.frameCount = kFrames;
    scene.ambient.assign(kFrames, 0x303848);
    scene.drawStyles = {
        {0.55f, 0.55f, 0.7f, 0.0f, kTilesTexture},
        {0.9f, 0.85f, 0.8f, 0.0f, kBricksTexture},
        {1.0f, 1.0f, 1.0f, 0.0f, kWindowsTexture},
        {0.8f, 0.85f, 1.0f, 0.0f, kMetalTexture},
        {1.0f, 0.8f, 0.5f, 0.02f, kGlowTexture},
        {0.5f, 0.8f, 1.0f, 0.02f, kGlowTexture},
        {1.0f, 0.25f, 0.2f, 0.02f, kGlowTexture},
    };

    AddGround(scene);
    AddBlocks(scene);
    AddCars(scene);
    AddSearchlights(scene);
    AddCameras(scene);

    show.windows = {
        {"Street", 0, 240, 20, 25, 100, 0, false},
        {"Air", 215, kFrames, 25, 45, 100, 0x101010, false},
    };
    show.shading = {{"Plaza22", "Gouraud"}, {"Block00", "Flat"}};
    show.overlays = {{"CarWarm", "TRUE"}, {"CarCool", "TRUE"}, {"CarRed", "TRUE"}};
    show.backfaces = {{"Ground", "TRUE"}};
    return show;
}

}  // namespace velmora::tools
