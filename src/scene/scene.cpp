#include "scene/scene.h"

#include <cstdlib>

void LoadScene(Scene*, char*, IDirect3DDevice7*) {}

void FreeScene(Scene* scene) {
    if (!scene) return;
    std::free(scene->fileName);
    *scene = Scene{};
}

void EnableSceneLights(Scene*) {}
void DisableSceneLights(Scene*) {}
