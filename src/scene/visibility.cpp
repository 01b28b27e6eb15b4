#include "scene/visibility.h"

#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "diag/log.h"
#include "diag/statistics.h"

int AllocVisibility(Scene* scene) {
    for (int32_t c = 0; c < scene->cameraCount; ++c) {
        SceneCamera* camera = &scene->cameras[c];
        int64_t pointerBytes = static_cast<int64_t>(scene->objectCount) * sizeof(uint8_t*);
        camera->visibility =
            static_cast<uint8_t**>(std::calloc(1, pointerBytes > 0 ? pointerBytes : 1));
        if (!camera->visibility) return 0;
        CountMemory(&generalMemoryCounter, pointerBytes);
        for (int32_t o = 0; o < scene->objectCount; ++o) {
            int64_t bytes = static_cast<int64_t>(scene->frameCount) *
                            VisibilityBytes(scene->objects[o].partCount);
            camera->visibility[o] = static_cast<uint8_t*>(std::malloc(bytes > 0 ? bytes : 1));
            if (!camera->visibility[o]) return 0;
            CountMemory(&generalMemoryCounter, bytes);
        }
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
