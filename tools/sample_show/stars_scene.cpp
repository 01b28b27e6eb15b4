// Stars rushing towards a still camera, over clouds of faint colour. The
// star layers move exactly one repeat of their pattern in the scene's 100
// frames, so that the scene loops without a seam; it is the background that
// the show plays, looped, behind the title, the knot and the city.
#include <cmath>

#include "sample_show/procedural.h"
#include "sample_show/show_scene.h"
#include "sample_show/show_textures.h"

namespace velmora::tools {

namespace {

constexpr int kFrames = 100;       // 4 seconds at 25 frames a second
constexpr float kRepeat = 120.0f;  // the star pattern repeats this far along z
constexpr int kSlabs = 4;          // parts along z, two repeats deep

enum Style { kCloud, kWhite, kBlue, kPink };

// One layer of stars: count stars in a shell round the z axis, each drawn
// twice, one repeat apart, in slabs along z that are the object's parts.
std::vector<WriterPart> Layer(int32_t style, int count, float inner, float outer, float size, uint32_t seed) {
    std::vector<PartBuilder> slabs(kSlabs, PartBuilder(style));
    Random random(seed);
    for (int k = 0; k < count; ++k) {
        const float angle = random.Between(0.0f, 6.2831853f);
        const float radius = std::sqrt(random.Between(inner * inner, outer * outer));
        const float z = random.Between(0.0f, kRepeat);
        const float s = size * random.Between(0.6f, 1.3f);
        for (int copy = 0; copy < 2; ++copy) {
            const float at = z + copy * kRepeat;
            const int slab = static_cast<int>(at / (2 * kRepeat / kSlabs));
            slabs[static_cast<size_t>(slab)].Sprite({radius * std::cos(angle), radius * std::sin(angle), at},
                                                    {s, 0, 0}, {0, s, 0});
        }
    }
    std::vector<WriterPart> parts;
    for (PartBuilder& slab : slabs) parts.push_back(slab.Take());
    return parts;
}

}  // namespace

ShowScene StarsScene() {
    ShowScene show;
    show.fileName = "stars.QX3";
    show.framesPerSecond = 25;
    SceneDescription& scene = show.scene;
    scene.frameCount = kFrames;
    // No lights: the ambient light shows every colour as it is.
    scene.ambient.assign(kFrames, 0xFFFFFF);
    // Slightly translucent, so that they are drawn after the rest without
    // writing depth, and overlap without cutting into each other.
    scene.drawStyles = {
        {0.22f, 0.08f, 0.32f, 0.02f, kGlowTexture},
        {0.95f, 0.95f, 1.0f, 0.02f, kGlowTexture},
        {0.45f, 0.65f, 1.0f, 0.02f, kGlowTexture},
        {1.0f, 0.55f, 0.8f, 0.02f, kGlowTexture},
    };

    PartBuilder clouds(kCloud);
    Random random(77u);
    for (int k = 0; k < 7; ++k) {
        const float s = random.Between(70.0f, 130.0f);
        clouds.Sprite({random.Between(-150.0f, 150.0f), random.Between(-110.0f, 110.0f), 400.0f}, {s, 0, 0}, {0, s, 0});
    }
    scene.objects.push_back(Still("Clouds", {clouds.Take()}));

    auto rush = [](int f) { return Translation({0.0f, 0.0f, -kRepeat * f / kFrames}); };
    scene.objects.push_back(Animated("StarsFar", Layer(kBlue, 110, 25.0f, 90.0f, 0.45f, 5u), kFrames, rush));
    scene.objects.push_back(Animated("StarsMid", Layer(kPink, 70, 12.0f, 60.0f, 0.4f, 6u), kFrames, rush));
    scene.objects.push_back(Animated("StarsNear", Layer(kWhite, 90, 6.0f, 40.0f, 0.35f, 7u), kFrames, rush));

    WriterCamera camera = MakeCamera("StarCam", kFrames);
    for (int f = 0; f < kFrames; ++f) AddCameraFrame(camera, 1.1f, IdentityMatrix());
    scene.cameras = {camera};

    show.windows = {{"StarCam", 0, kFrames, 0, 0, 100, 0, false}};
    show.blurs = {{"StarCam", 3}};
    for (const char* name : {"Clouds", "StarsFar", "StarsMid", "StarsNear"}) {
        show.overlays.push_back({name, "TRUE"});
        show.backfaces.push_back({name, "FALSE"});
    }
    return show;
}

}  // namespace velmora::tools
