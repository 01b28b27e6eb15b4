#include "scene/visibility.h"

#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "diag/log.h"
#include "diag/memory_counters.h"

int64_t SceneVisibilityBytes(const Scene* scene) {
    int64_t perFrame = 0;
    for (int32_t o = 0; o < scene->objectCount; ++o)
        perFrame += VisibilityBytes(scene->objects[o].partCount);
    return static_cast<int64_t>(scene->cameraCount) * scene->frameCount * perFrame;
}

bool VisibilityFitsSceneFile(const Scene* scene, int64_t fileSize) {
    return SceneVisibilityBytes(scene) <= kVisibilityFreeBytes + kVisibilityBytesPerFileByte * fileSize;
}

int AllocVisibility(Scene* scene) {
    int64_t perFrame = 0;
    for (int32_t o = 0; o < scene->objectCount; ++o)
        perFrame += VisibilityBytes(scene->objects[o].partCount);
    const int64_t pointerBytes = static_cast<int64_t>(scene->objectCount) * sizeof(uint8_t*);
    const int64_t bitBytes = static_cast<int64_t>(scene->frameCount) * perFrame;
    for (int32_t c = 0; c < scene->cameraCount; ++c) {
        // One block per camera: the object pointers, then every object's bit
        // arrays frame after frame, so that a scene of many small objects
        // costs one allocation per camera rather than one per object.
        int64_t blockBytes = pointerBytes + bitBytes;
        void* block = std::malloc(blockBytes > 0 ? static_cast<size_t>(blockBytes) : 1);
        if (!block) return 0;
        SceneCamera* camera = &scene->cameras[c];
        camera->visibility = static_cast<uint8_t**>(block);
        uint8_t* bits = static_cast<uint8_t*>(block) + pointerBytes;
        for (int32_t o = 0; o < scene->objectCount; ++o) {
            camera->visibility[o] = bits;
            bits += static_cast<int64_t>(scene->frameCount) * VisibilityBytes(scene->objects[o].partCount);
        }
        CountMemory(&generalMemoryCounter, blockBytes);
    }
    WriteLog("Visability:\t\t\t\tinit done");
    return 1;
}

void FillVisibility(Scene* scene, MemoryFile* file) {
    for (int32_t c = 0; c < scene->cameraCount; ++c) {
        for (int32_t f = 0; f < scene->frameCount; ++f) {
            for (int32_t o = 0; o < scene->objectCount; ++o) {
                int32_t bytes = VisibilityBytes(scene->objects[o].partCount);
                uint8_t* bits = scene->cameras[c].visibility[o] + static_cast<int64_t>(f) * bytes;
                int32_t copied = file ? MemRead(bits, bytes, file) : 0;
                if (copied < bytes) std::memset(bits + copied, 255, bytes - copied);
            }
        }
    }
}

int ReadVisibility(Scene* scene, const char* fileName) {
    // The name keeps its directory part; a missing file is no error.
    MemoryFile* file = OpenDataFile(fileName);
    if (!AllocVisibility(scene)) {
        if (file) MemClose(file);
        return 0;
    }
    FillVisibility(scene, file);
    if (file) MemClose(file);
    WriteLogFormat("Visability:\t\t\t\t%s, read visability done", fileName);
    return 1;
}
