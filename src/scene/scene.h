// The scene model: one animated scene read from a QX3 scene file, sampled once
// per frame, and the operations that load, free and light it.
#pragma once

#include <cstdint>

#include "platform/ddraw/d3d.h"

// Position, normal and one texture coordinate pair: the flexible vertex format
// D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, handed to the device as it is.
struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};
static_assert(sizeof(Vertex) == 32);

constexpr DWORD kVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// Three vertex indices into the part's vertices, in drawing order.
struct Polygon {
    uint16_t index[3];
};
static_assert(sizeof(Polygon) == 6);

// A material of the scene file: the parts refer to it, the texture cache knows
// its texture by textureName.
struct DrawStyle {
    D3DMATERIAL7 material;
    char* textureName;
    int32_t hasAlpha;
    int32_t textureResident;
    int32_t texturePreloaded;
    // 1 when reading this draw style put its texture in the cache (the name
    // was not there before), so that a damaged scene can take it out again.
    int32_t textureCreated;
};

// One geometry object: parts of triangles, each part with one draw style.
// The per-part arrays are parallel, indexed by part number.
struct SceneObject {
    char* name;
    D3DMATRIX* matrices;  // frameCount entries when animated, else one
    int32_t* partVertexCounts;
    Vertex** partVertices;
    int32_t* partPolygonCounts;
    Polygon** partPolygons;
    int32_t partCount;
    DrawStyle** partDrawStyles;  // into the scene's drawStyles, not owned
    char* parentName;
    int32_t animated;
    int32_t cullBackfaces;
    int32_t shadeMode;
    int32_t overlay;
};

struct SceneCamera {
    char* name;
    float* frameBlend;          // per frame; -1.0 = not drawn in that frame
    int32_t* frameExtraAmbient; // per frame
    float* frameFov;            // per frame, radians
    int32_t blurFrames;
    // Per object: frameCount bit arrays of VisibilityBytes(partCount) bytes
    // each, one after the other; see PartVisible.
    uint8_t** visibility;
};

struct SceneLight {
    char* name;
    float intensity;  // the file's multiplier doubled, already in lightFrames
    int32_t animated;
};

struct Scene {
    int32_t objectCount;
    SceneObject* objects;
    int32_t cameraCount;
    SceneCamera* cameras;
    D3DMATRIX** cameraMatrices;  // per camera: per frame view matrix
    int32_t* cameraOrder;        // render slot -> camera index
    int32_t drawStyleCount;
    DrawStyle* drawStyles;
    int32_t lightCount;
    uint32_t* frameAmbient;  // per frame 0x00RRGGBB
    SceneLight* lights;
    D3DLIGHT7** lightFrames;  // per light: frameCount entries when animated, else one
    char* fileName;
    int32_t frameCount;
    float framesPerSecond;
    float currentFrame;
    int32_t looping;
    int32_t startTime;
};

// A record that holds nothing is all zero: that is how an entry the play
// script never loaded looks, and how FreeScene leaves one.
bool SceneIsEmpty(const Scene* scene);

// Reads the scene's own fileName and the visibility file beside it, and
// switches the scene's lights off on the device.
void LoadScene(Scene* scene, char* fileName, IDirect3DDevice7* device);
// Empties the counts before reading; keeps fileName.
void InitScene(Scene* scene);
// Releases everything the scene holds and leaves the record all zero; a record
// that is already empty is left alone.
void FreeScene(Scene* scene);
// Releases every array the scene holds, without the log and the texture
// cache, and leaves the record as InitScene does, fileName kept. Copes with a
// record that a reader filled only partly.
void DiscardSceneData(Scene* scene);
// Deletes from the texture cache the textures that reading this scene
// created; textures that were there before (another scene's) stay.
void DeleteCreatedTextures(Scene* scene);
// LightEnable of every light of the scene on the device; nothing without one.
void EnableSceneLights(Scene* scene, IDirect3DDevice7* device);
void DisableSceneLights(Scene* scene, IDirect3DDevice7* device);

// Bytes of one visibility bit array: one bit per part.
inline int32_t VisibilityBytes(int32_t partCount) { return (partCount + 7) / 8; }
// Whether part p of object o may be seen from camera c in frame f; the
// arguments in the order of the arrays: camera, object, frame, part.
inline bool PartVisible(const Scene* scene, int32_t c, int32_t o, int32_t f, int32_t p) {
    int32_t bytes = VisibilityBytes(scene->objects[o].partCount);
    const uint8_t* bits = scene->cameras[c].visibility[o] + static_cast<int64_t>(f) * bytes;
    return (bits[p / 8] >> (p % 8)) & 1;
}
