// The scene file reader on arbitrary bytes: it must never read or write
// outside the file and its arrays, must leave an unreadable file's scene
// empty, and must keep every invariant the renderer relies on for a file it
// accepts.
#include <cstdint>
#include <cstdlib>

#include "fuzz_memory_file.h"
#include "scene/scene.h"
#include "scene/scene_reader.h"
#include "scene/visibility.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Touches every element the renderer may read, so that a short array shows up
// under the address sanitizer, and checks the invariants after loading.
float WalkScene(const Scene& scene) {
    float sum = 0.0f;
    Require(scene.frameCount >= 1);
    for (int32_t f = 0; f < scene.frameCount; ++f) sum += static_cast<float>(scene.frameAmbient[f]);
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        const SceneObject& object = scene.objects[o];
        int32_t matrices = object.animated ? scene.frameCount : 1;
        for (int32_t f = 0; f < matrices; ++f) sum += object.matrices[f]._44;
        for (int32_t p = 0; p < object.partCount; ++p) {
            const DrawStyle* style = object.partDrawStyles[p];
            Require(style >= scene.drawStyles && style < scene.drawStyles + scene.drawStyleCount);
            for (int32_t v = 0; v < object.partVertexCounts[p]; ++v)
                sum += object.partVertices[p][v].nx + object.partVertices[p][v].tv;
            for (int32_t i = 0; i < object.partPolygonCounts[p]; ++i)
                for (uint16_t index : object.partPolygons[p][i].index)
                    Require(index < object.partVertexCounts[p]);
            for (int32_t c = 0; c < scene.cameraCount; ++c)
                for (int32_t f = 0; f < scene.frameCount; ++f) sum += PartVisible(&scene, c, o, f, p);
        }
    }
    for (int32_t c = 0; c < scene.cameraCount; ++c) {
        Require(scene.cameraOrder[c] == c);
        for (int32_t f = 0; f < scene.frameCount; ++f)
            sum += scene.cameraMatrices[c][f]._44 + scene.cameras[c].frameBlend[f] +
                   scene.cameras[c].frameFov[f] + static_cast<float>(scene.cameras[c].frameExtraAmbient[f]);
    }
    for (int32_t i = 0; i < scene.lightCount; ++i) {
        int32_t frames = scene.lights[i].animated ? scene.frameCount : 1;
        for (int32_t f = 0; f < frames; ++f) sum += scene.lightFrames[i][f].dvFalloff;
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 24)) return 0;
    velmora::fuzzing::ResetMemoryCounters();
    MemoryFile* file = velmora::fuzzing::NewFuzzFile("fuzz.QX3", data, size);
    Scene scene{};
    InitScene(&scene);
    int sound = ReadSceneData(file, &scene);
    MemClose(file);
    if (sound) {
        Require(AllocVisibility(&scene) == 1);
        FillVisibility(&scene, nullptr);
        volatile float sum = WalkScene(scene);
        (void)sum;
    } else {
        Require(SceneIsEmpty(&scene));
    }
    FreeScene(&scene);
    Require(SceneIsEmpty(&scene));
    return 0;
}
