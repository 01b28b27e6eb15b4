// The scene model (interim: the fields the timeline and the play script use;
// the scene reader brings the rest).
#pragma once

#include <cstdint>

#include "platform/ddraw/d3d.h"

struct DrawStyle {
    char* textureName;
    int32_t hasAlpha;
    int32_t textureResident;
    int32_t texturePreloaded;
};

struct SceneObject {
    char* name;
    int32_t cullBackfaces;
    int32_t shadeMode;
    int32_t overlay;
};

struct SceneCamera {
    char* name;
    float* frameBlend;
    int32_t* frameExtraAmbient;
    int32_t blurFrames;
};

struct Scene {
    int32_t objectCount;
    SceneObject* objects;
    int32_t cameraCount;
    SceneCamera* cameras;
    int32_t* cameraOrder;
    int32_t drawStyleCount;
    DrawStyle* drawStyles;
    int32_t lightCount;
    char* fileName;
    int32_t frameCount;
    float framesPerSecond;
    float currentFrame;
    int32_t looping;
    int32_t startTime;
};

void LoadScene(Scene* scene, char* fileName, IDirect3DDevice7* device);
void FreeScene(Scene* scene);
void EnableSceneLights(Scene* scene);
void DisableSceneLights(Scene* scene);
