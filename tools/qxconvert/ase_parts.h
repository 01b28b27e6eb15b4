// What the pieces of the ASCII scene reader share: materials, meshes and
// animation channels, each read from the document tree.
#pragma once

#include <assimp/scene.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "qxconvert/ase_document.h"

namespace velmora::tools::ase {

// "line N: text", the form of every fault the reader reports.
std::string At(const AseEntry& entry, const std::string& text);

struct Material {
    std::string name;
    aiColor3D diffuse{0.6f, 0.6f, 0.6f};
    float transparency = 0.0f;  // 0 opaque
    std::string bitmap;         // the diffuse map's file, empty for none
    bool twoSided = false;
    std::vector<Material> subMaterials;
};

// The materials of the document's material list, and the graph's materials
// made from them as meshes use them: a material with sub-materials gives one
// per sub-material used.
class MaterialTable {
public:
    bool Read(const AseBlock& document, std::string& why);
    // The graph material of a face: its object's reference (-1 for none, then
    // the object's wire colour is its colour, as the modeller renders it) and
    // the face's material id.
    unsigned Resolve(int reference, int64_t materialId, const aiColor3D& wireColour, const std::string& objectName);
    size_t Size() const { return list_.size(); }
    std::vector<aiMaterial*> Release() { return std::move(made_); }
    ~MaterialTable();

private:
    unsigned Make(const Material& material);
    std::vector<Material> list_;
    std::map<std::pair<int, int64_t>, unsigned> byReference_;
    std::map<std::string, unsigned> byObject_;
    std::vector<aiMaterial*> made_;
};

// Column-vector matrix of a NODE_TM block (rows written for row vectors).
bool ReadNodeTransform(const AseBlock& nodeTm, aiMatrix4x4& world, std::string& why);

// The meshes of a GEOMOBJECT's MESH block, one per material used, with the
// vertices taken from world space into the node's (inverse of world).
bool BuildMeshes(const AseEntry& object, const AseBlock& mesh, const aiMatrix4x4& world, int materialReference,
                 const aiColor3D& wireColour, const std::string& objectName, MaterialTable& materials,
                 std::vector<aiMesh*>& meshes, std::string& why);

// One node's channel from its TM_ANIMATION block. Positions and scales are
// in the parent's space; the first rotation is the node's own and each later
// one turns the one before. local is the node's transform at time 0, for the
// parts the block does not animate. lastSeconds grows to the last key's time.
bool BuildChannel(const AseBlock& animation, const std::string& nodeName, const aiMatrix4x4& local,
                  double ticksPerSecond, aiNodeAnim*& channel, double& lastSeconds, std::string& why);

}  // namespace velmora::tools::ase
