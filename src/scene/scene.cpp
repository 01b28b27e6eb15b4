#include "scene/scene.h"

#include <cstdlib>
#include <cstring>

#include "diag/log.h"
#include "scene/scene_reader.h"
#include "scene/visibility.h"
#include "texture/texture_cache.h"

namespace {

bool SceneHoldsData(const Scene* scene) {
    return scene->objects || scene->cameras || scene->cameraMatrices || scene->cameraOrder ||
           scene->drawStyles || scene->frameAmbient || scene->lights || scene->lightFrames ||
           scene->objectCount != 0 || scene->cameraCount != 0 || scene->drawStyleCount != 0 ||
           scene->lightCount != 0 || scene->frameCount != 0;
}

void DeleteSceneTextures(Scene* scene) {
    if (!scene->drawStyles) return;
    for (int32_t i = 0; i < scene->drawStyleCount; ++i)
        if (scene->drawStyles[i].textureName) DeleteTexture(scene->drawStyles[i].textureName);
}

}  // namespace

bool SceneIsEmpty(const Scene* scene) { return !scene->fileName && !SceneHoldsData(scene); }

void InitScene(Scene* scene) {
    char* fileName = scene->fileName;
    *scene = Scene{};
    scene->fileName = fileName;
    scene->framesPerSecond = 30.0f;
}

void LoadScene(Scene* scene, char* fileName, IDirect3DDevice7* device) {
    // A second load line for a scene replaces what the first one read.
    if (SceneHoldsData(scene)) {
        DeleteSceneTextures(scene);
        DiscardSceneData(scene);
    }
    InitScene(scene);
    if (!fileName) {
        WriteLog("ERROR:\t\t\tQX3file NOT opend");
        return;
    }
    // The visibility file is the scene file with the last three letters
    // replaced by VIS, formed before the reader cuts the directory part.
    size_t length = std::strlen(fileName);
    char* visibilityName = static_cast<char*>(std::malloc(length + 4));
    if (!visibilityName) return;
    std::memcpy(visibilityName, fileName, length + 1);
    std::strcpy(visibilityName + (length >= 3 ? length - 3 : length), "VIS");

    ReadSceneFile(fileName, scene);
    if (!ReadVisibility(scene, visibilityName)) {
        WriteLogFormat("ERROR:\t\t%s\tvisability does not fit in memory, scene left empty",
                       visibilityName);
        DeleteCreatedTextures(scene);
        DiscardSceneData(scene);
    }
    std::free(visibilityName);

    if (device)
        for (int32_t i = 0; i < scene->lightCount; ++i) device->LightEnable(i, FALSE);
}

namespace {

void FreeObject(SceneObject* object) {
    std::free(object->name);
    std::free(object->matrices);
    for (int32_t p = 0; p < object->partCount; ++p) {
        if (object->partVertices) std::free(object->partVertices[p]);
        if (object->partPolygons) std::free(object->partPolygons[p]);
    }
    std::free(object->partVertexCounts);
    std::free(object->partVertices);
    std::free(object->partPolygonCounts);
    std::free(object->partPolygons);
    std::free(object->parentName);
    std::free(object->partDrawStyles);
}

void FreeCamera(SceneCamera* camera) {
    std::free(camera->name);
    std::free(camera->frameBlend);
    std::free(camera->frameExtraAmbient);
    std::free(camera->frameFov);
    // The object pointers and the bits are one block.
    std::free(camera->visibility);
}

}  // namespace

void DeleteCreatedTextures(Scene* scene) {
    if (!scene->drawStyles) return;
    for (int32_t i = 0; i < scene->drawStyleCount; ++i) {
        DrawStyle* style = &scene->drawStyles[i];
        if (style->textureName && style->textureCreated == 1) DeleteTexture(style->textureName);
        style->textureCreated = 0;
    }
}

void DiscardSceneData(Scene* scene) {
    if (scene->objects)
        for (int32_t o = 0; o < scene->objectCount; ++o) FreeObject(&scene->objects[o]);
    std::free(scene->objects);
    for (int32_t c = 0; c < scene->cameraCount; ++c) {
        if (scene->cameraMatrices) std::free(scene->cameraMatrices[c]);
        if (scene->cameras) FreeCamera(&scene->cameras[c]);
    }
    std::free(scene->cameraMatrices);
    std::free(scene->cameras);
    std::free(scene->cameraOrder);
    if (scene->drawStyles)
        for (int32_t i = 0; i < scene->drawStyleCount; ++i)
            std::free(scene->drawStyles[i].textureName);
    std::free(scene->drawStyles);
    for (int32_t i = 0; i < scene->lightCount; ++i) {
        if (scene->lightFrames) std::free(scene->lightFrames[i]);
        if (scene->lights) std::free(scene->lights[i].name);
    }
    std::free(scene->lights);
    std::free(scene->lightFrames);
    std::free(scene->frameAmbient);
    InitScene(scene);
}

void FreeScene(Scene* scene) {
    if (!scene) return;
    // Entries the play script never loaded, and scenes already freed, hold
    // nothing: freeing them again releases and logs nothing.
    if (SceneIsEmpty(scene)) {
        *scene = Scene{};
        return;
    }
    if (scene->drawStyles) {
        for (int32_t i = 0; i < scene->drawStyleCount; ++i) {
            DrawStyle* style = &scene->drawStyles[i];
            if (!style->textureName) continue;
            if (style->texturePreloaded == 1)
                WriteLogFormat("QX3:\t\t\t\t%s texture read from file", style->textureName);
            DeleteTexture(style->textureName);
        }
    }
    DiscardSceneData(scene);
    WriteLogFormat("QX3:\t\t\t\t%s scene given free", scene->fileName ? scene->fileName : "");
    std::free(scene->fileName);
    *scene = Scene{};
}

void EnableSceneLights(Scene* scene, IDirect3DDevice7* device) {
    if (!device) return;
    for (int32_t i = 0; i < scene->lightCount; ++i) device->LightEnable(i, TRUE);
}

void DisableSceneLights(Scene* scene, IDirect3DDevice7* device) {
    if (!device) return;
    for (int32_t i = 0; i < scene->lightCount; ++i) device->LightEnable(i, FALSE);
}
