// The scene model.
#pragma once

#include <cstdint>

// The scene record grows its fields with the scene reader; a record that
// holds nothing is all zero.
struct Scene {
    int32_t frameCount;
};

// Releases everything the scene holds and leaves the record empty.
void FreeScene(Scene* scene);
