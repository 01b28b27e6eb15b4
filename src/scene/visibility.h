// Precomputed visibility: for every camera, frame and object one bit per part
// of the object, set when the part may be seen. The visibility file holds the
// bit arrays camera by camera, then frame by frame, then object by object.
#pragma once

#include "data/memory_file.h"
#include "scene/scene.h"

// Makes every camera's visibility arrays for the scene's objects and frames;
// 0 when memory runs out (what was made stays for DiscardSceneData).
int AllocVisibility(Scene* scene);
// Reads the named visibility file into freshly made arrays; without the file
// every part is visible. 0 when the arrays do not fit in memory.
int ReadVisibility(Scene* scene, const char* fileName);
// Fills made arrays in file order from file, or with 255 where file is null or
// runs out: a missing byte marks all its parts visible.
void FillVisibility(Scene* scene, MemoryFile* file);
