// Precomputed visibility: for every camera, frame and object one bit per part
// of the object, set when the part may be seen. The visibility file holds the
// bit arrays camera by camera, then frame by frame, then object by object.
#pragma once

#include "data/memory_file.h"
#include "scene/scene.h"

#include <cstdint>

// Bytes of every camera's visibility arrays together.
int64_t SceneVisibilityBytes(const Scene* scene);
// The visibility a scene may ask for grows with the frames, cameras and parts
// its file describes, but as their product: a small crafted file of many
// cameras and many objects would ask for gigabytes. A scene whose arrays
// would exceed this share of its file's size (plus a fixed allowance) is
// refused as damaged.
constexpr int64_t kVisibilityBytesPerFileByte = 64;
constexpr int64_t kVisibilityFreeBytes = 16 << 20;
bool VisibilityFitsSceneFile(const Scene* scene, int64_t fileSize);

// Makes every camera's visibility arrays for the scene's objects and frames,
// one block per camera whose first bytes are the object pointers; 0 when
// memory runs out (what was made stays for DiscardSceneData).
int AllocVisibility(Scene* scene);
// Reads the named visibility file into freshly made arrays; without the file
// every part is visible. 0 when the arrays do not fit in memory.
int ReadVisibility(Scene* scene, const char* fileName);
// Fills made arrays in file order from file, or with 255 where file is null or
// runs out: a missing byte marks all its parts visible.
void FillVisibility(Scene* scene, MemoryFile* file);
