// The QX3 scene file reader.
#pragma once

#include <cstdint>

#include "data/memory_file.h"
#include "scene/scene.h"

// Cuts the directory part of fileName in place (when the local-path setting is
// on), opens the file and reads it into the scene. A missing or unreadable
// file leaves the scene as InitScene does and writes one "ERROR:" line.
void ReadSceneFile(char* fileName, Scene* scene);

// Reads an opened scene file into a scene that InitScene has emptied. Every
// count is checked against the bytes left before anything is allocated, every
// draw-style and vertex index against its array; on the first fault the scene
// is emptied again and 0 is returned. Does not close the file.
int ReadSceneData(MemoryFile* file, Scene* scene);

// One node body each, into objects, cameras or lights at the given index;
// 0 when the file is faulty there.
int ReadGeomObject(MemoryFile* file, Scene* scene, int32_t index);
int ReadCamera(MemoryFile* file, Scene* scene, int32_t index);
int ReadLight(MemoryFile* file, Scene* scene, int32_t index);
