#include "scene/scene.h"

void FreeScene(Scene* scene) {
    if (scene) *scene = Scene{};
}
