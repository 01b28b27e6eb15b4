// The visibility reader on arbitrary bytes for scenes of many shapes: every
// bit array is filled, from the file or with 255 where it runs out, and
// nothing is read or written outside the file and the arrays.
#include <cstdint>
#include <cstdlib>

#include "fuzz_memory_file.h"
#include "scene/scene.h"
#include "scene/visibility.h"
#include "visibility_fuzz_input.h"

using namespace velmora::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    ResetMemoryCounters();
    VisibilityShape shape;
    size_t used = ReadVisibilityShape(data, size, &shape);
    if (used == 0) return 0;

    // A scene of that shape, as the reader leaves one, without geometry.
    Scene scene{};
    InitScene(&scene);
    scene.frameCount = shape.frameCount;
    scene.objectCount = static_cast<int32_t>(shape.partCounts.size());
    scene.objects = static_cast<SceneObject*>(std::calloc(scene.objectCount + 1, sizeof(SceneObject)));
    for (int32_t o = 0; o < scene.objectCount; ++o) scene.objects[o].partCount = shape.partCounts[o];
    scene.cameraCount = shape.cameraCount;
    scene.cameras = static_cast<SceneCamera*>(std::calloc(scene.cameraCount + 1, sizeof(SceneCamera)));

    MemoryFile* file = NewFuzzFile("fuzz.VIS", data + used, size - used);
    if (AllocVisibility(&scene) != 1) __builtin_trap();
    FillVisibility(&scene, file);
    int32_t expected = 0;
    for (int32_t o = 0; o < scene.objectCount; ++o) expected += VisibilityBytes(shape.partCounts[o]);
    expected *= scene.cameraCount * scene.frameCount;
    // What the file held is consumed in order, and no further.
    if (file->position != (file->size < expected ? file->size : expected)) __builtin_trap();
    const uint8_t* bytes = data + used;
    int32_t at = 0;
    for (int32_t c = 0; c < scene.cameraCount; ++c)
        for (int32_t f = 0; f < scene.frameCount; ++f)
            for (int32_t o = 0; o < scene.objectCount; ++o) {
                int32_t count = VisibilityBytes(shape.partCounts[o]);
                for (int32_t k = 0; k < count; ++k, ++at) {
                    uint8_t want = at < file->size ? bytes[at] : 255;
                    if (scene.cameras[c].visibility[o][f * count + k] != want) __builtin_trap();
                }
            }
    MemClose(file);
    scene.fileName = nullptr;
    FreeScene(&scene);
    return 0;
}
