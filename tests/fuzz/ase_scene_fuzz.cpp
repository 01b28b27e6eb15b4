// The ASCII scene export reader on arbitrary text: it must never read or
// write outside its lists, and a scene it accepts must keep what the
// conversion relies on: faces of three corners naming vertices of their mesh,
// materials and meshes that nodes name, channels with keys.
#include <cstdint>
#include <string>

#include "qxconvert/ase_scene.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void WalkNodes(const aiScene& scene, const aiNode& node, int depth) {
    Require(depth < 10000);
    for (unsigned i = 0; i < node.mNumMeshes; ++i) Require(node.mMeshes[i] < scene.mNumMeshes);
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        Require(node.mChildren[i]->mParent == &node);
        WalkNodes(scene, *node.mChildren[i], depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    velmora::tools::AseBlock document;
    velmora::tools::ImportedScene scene;
    std::string why;
    if (!velmora::tools::ParseAseDocument(text, document, why) ||
        !velmora::tools::BuildAseScene(document, scene, why)) {
        Require(!why.empty() && scene.scene == nullptr);
        return 0;
    }
    const aiScene& graph = *scene.scene;
    WalkNodes(graph, *graph.mRootNode, 0);
    for (unsigned m = 0; m < graph.mNumMeshes; ++m) {
        const aiMesh& mesh = *graph.mMeshes[m];
        Require(mesh.mMaterialIndex < graph.mNumMaterials);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            Require(mesh.mFaces[f].mNumIndices == 3);
            for (unsigned k = 0; k < 3; ++k) Require(mesh.mFaces[f].mIndices[k] < mesh.mNumVertices);
        }
    }
    for (unsigned a = 0; a < graph.mNumAnimations; ++a)
        for (unsigned c = 0; c < graph.mAnimations[a]->mNumChannels; ++c) {
            const aiNodeAnim& channel = *graph.mAnimations[a]->mChannels[c];
            Require(channel.mNumPositionKeys > 0 && channel.mNumRotationKeys > 0 && channel.mNumScalingKeys > 0);
        }
    return 0;
}
