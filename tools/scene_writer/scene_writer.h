// Writes QX3 scene files and VIS visibility files from a description held in
// memory. Used by the tests, the sample show, the visibility generator and the
// converters.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ddraw/d3dtypes.h"
#include "platform/ddraw/matrix_math.h"

namespace velmora::tools {

struct WriterDrawStyle {
    float red = 1.0f, green = 1.0f, blue = 1.0f;
    float transparency = 0.0f;  // 0 = opaque
    std::string textureName;    // may carry a directory part
};

struct WriterVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float tu = 0.0f, tv = 0.0f;
};

struct WriterPart {
    int32_t drawStyle = 0;
    // The index written in the polygon block; -1 writes drawStyle again, as
    // every sound file does.
    int32_t polygonDrawStyle = -1;
    std::vector<WriterVertex> vertices;
    // Vertex indices as stored: 32-bit, of which the reader keeps the low 16 bits.
    std::vector<std::array<int32_t, 3>> polygons;
};

struct WriterObject {
    std::string name;
    std::string parentName;
    std::vector<WriterPart> parts;
    bool animated = false;
    // One world matrix per frame when animated, else one. Only _11 to _43
    // without _14, _24, _34 are stored.
    std::vector<D3DMATRIX> matrices;
};

struct WriterCamera {
    std::string name;
    std::vector<float> fov;            // per frame, radians
    std::vector<D3DMATRIX> matrices;   // per frame view matrix
};

struct WriterLightFrame {
    float red = 1.0f, green = 1.0f, blue = 1.0f;
    D3DVECTOR position{};
    D3DVECTOR direction{};  // stored for spot lights only
};

struct WriterLight {
    std::string name;
    std::string secondName;  // the target's name; the engine reads and drops it
    float intensity = 1.0f;
    bool spot = false;
    float range = 1000.0f;
    float hotspot = 0.5f, falloff = 0.6f;  // stored for spot lights only
    int32_t attenuation = 0;               // 0 constant, 1 linear, 2 quadratic
    float colourMultiplier = 1.0f;
    bool animated = false;
    std::vector<WriterLightFrame> frames;  // one per frame when animated, else one
};

enum class NodeKind { Object, Camera, Light, Shape, Helper };

struct NodeRef {
    NodeKind kind;
    int32_t index;  // into the matching list of SceneDescription
};

struct SceneDescription {
    int32_t frameCount = 1;
    std::vector<uint32_t> ambient;  // per frame 0x00RRGGBB
    std::vector<WriterDrawStyle> drawStyles;
    std::vector<WriterObject> objects;
    std::vector<WriterCamera> cameras;
    std::vector<WriterLight> lights;
    // The type strings of the shape and helper nodes, which have no body.
    std::vector<std::string> shapes;
    std::vector<std::string> helpers;
    // The order in which the nodes are written; empty writes objects, cameras,
    // lights, shapes and helpers in that order.
    std::vector<NodeRef> nodeOrder;
};

// Whether the description makes a sound file: per-frame lists of the right
// lengths, indices inside their lists, strings the format can carry. Returns
// the first fault, or an empty string.
std::string CheckScene(const SceneDescription& scene);

// The file's bytes, written as described even where CheckScene would complain,
// so that tests can make faulty files.
std::vector<uint8_t> SceneBytes(const SceneDescription& scene);

// The description's indices of the nodes of one kind in the order the file
// holds them, which is the order of the engine's arrays.
std::vector<int32_t> NodesInFileOrder(const SceneDescription& scene, NodeKind kind);

// Part p of object o is visible from camera c in frame f; c and o index the
// description's lists.
using VisibilityTest = std::function<bool(int32_t c, int32_t f, int32_t o, int32_t p)>;
// The visibility file of the scene: cameras in file order, then frames, then
// objects in file order, one bit per part, part k in bit k mod 8 of byte k / 8.
std::vector<uint8_t> VisibilityBytes(const SceneDescription& scene, const VisibilityTest& visible);

// Write checked files; false with a message on a fault or a write error.
bool WriteSceneFile(const std::string& path, const SceneDescription& scene, std::string* error);
bool WriteVisibilityFile(const std::string& path, const SceneDescription& scene,
                         const VisibilityTest& visible, std::string* error);

// Building blocks.
using platform::ddraw::IdentityMatrix;
D3DMATRIX TranslationMatrix(float x, float y, float z);
// A cube of the given edge around the origin: six faces of four vertices
// each, two triangles per face, wound counter-clockwise as seen from outside
// so that the engine draws its outside. One part using drawStyle; one
// identity matrix.
WriterObject CubeObject(const std::string& name, float edge, int32_t drawStyle);

}  // namespace velmora::tools
