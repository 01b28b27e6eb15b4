// Builds an engine Scene directly in memory, every array held by the builder,
// for renderer tests, golden images and the rendering benchmark. The scene
// stays valid while the builder lives and is not to be given to FreeScene.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/ddraw/matrix_math.h"
#include "scene/scene.h"

namespace velmora::tools {

struct BuilderPart {
    int32_t drawStyle = 0;
    std::vector<Vertex> vertices;
    std::vector<Polygon> polygons;
};

class SceneBuilder {
public:
    explicit SceneBuilder(int32_t frameCount);

    // Draw styles and objects refer to each other by index.
    int32_t AddDrawStyle(const D3DMATERIAL7& material, const std::string& textureName = "");
    // matrices: one (static) or frameCount (animated).
    int32_t AddObject(std::vector<BuilderPart> parts, std::vector<D3DMATRIX> matrices,
                      int32_t cullBackfaces = 1, int32_t shadeMode = 2, int32_t overlay = 0);
    // Per-frame view matrices; blend, field of view and extra ambient are set
    // for every frame and can be changed per frame afterwards.
    int32_t AddCamera(std::vector<D3DMATRIX> views, float blend = 1.0f, float fov = 0.7853982f,
                      int32_t blurFrames = 1);
    // frames: one (static) or frameCount (animated).
    int32_t AddLight(std::vector<D3DLIGHT7> frames);
    void SetAmbient(uint32_t packed);  // every frame

    std::vector<float>& Blend(int32_t camera) { return cameras_[camera].blend; }
    std::vector<int32_t>& ExtraAmbient(int32_t camera) { return cameras_[camera].extraAmbient; }
    std::vector<float>& Fov(int32_t camera) { return cameras_[camera].fov; }
    std::vector<uint32_t>& Ambient() { return ambient_; }
    std::vector<int32_t>& CameraOrder() { return cameraOrder_; }
    // Hides part p of object o from camera c in frame f (all parts start visible).
    void HidePart(int32_t c, int32_t o, int32_t f, int32_t p);

    // The scene over the builder's arrays, current frame t.
    Scene* Build(float t);

private:
    struct CameraData {
        std::vector<D3DMATRIX> views;
        std::vector<float> blend, fov;
        std::vector<int32_t> extraAmbient;
        int32_t blurFrames;
        std::deque<std::vector<uint8_t>> visibility;  // per object
        std::vector<uint8_t*> visibilityPointers;
    };
    struct ObjectData {
        std::vector<BuilderPart> parts;
        std::vector<D3DMATRIX> matrices;
        int32_t cullBackfaces, shadeMode, overlay;
        std::vector<int32_t> vertexCounts, polygonCounts;
        std::vector<Vertex*> vertexPointers;
        std::vector<Polygon*> polygonPointers;
        std::vector<DrawStyle*> styles;
    };
    void EnsureVisibility();

    int32_t frameCount_;
    std::deque<std::string> names_;
    std::vector<DrawStyle> drawStyles_;
    std::deque<std::string> textureNames_;
    std::deque<ObjectData> objects_;
    std::deque<CameraData> cameras_;
    std::vector<std::vector<D3DLIGHT7>> lights_;
    std::vector<uint32_t> ambient_;
    std::vector<int32_t> cameraOrder_;
    // What the Scene points at.
    std::vector<SceneObject> sceneObjects_;
    std::vector<SceneCamera> sceneCameras_;
    std::vector<D3DMATRIX*> cameraMatrixPointers_;
    std::vector<SceneLight> sceneLights_;
    std::vector<D3DLIGHT7*> lightFramePointers_;
    Scene scene_{};
};

// Building blocks.
using platform::ddraw::IdentityMatrix;
D3DMATRIX Translation(float x, float y, float z);
D3DMATRIX RotationY(float radians);
D3DMATERIAL7 Material(float r, float g, float b, float a = 1.0f);
D3DLIGHT7 PointLight(float x, float y, float z, float r, float g, float b, float range = 1000.0f);
// A quad in the plane z = 0 facing -z (towards a camera at the origin looking
// down +z), of the given half size, normals (0, 0, -1), two triangles wound
// counter-clockwise as seen from -z: the side that culling with D3DCULL_CW keeps.
BuilderPart Quad(float halfSize, int32_t drawStyle, float z = 0.0f);
// The quad split into cells x cells squares, so that per-vertex lighting
// shows the shape of a light on it.
BuilderPart Grid(float halfSize, int32_t cells, int32_t drawStyle, float z = 0.0f);
// A sphere of rings x segments quads around the origin, normals outwards,
// wound counter-clockwise as seen from outside.
BuilderPart Sphere(float radius, int32_t rings, int32_t segments, int32_t drawStyle);

}  // namespace velmora::tools
