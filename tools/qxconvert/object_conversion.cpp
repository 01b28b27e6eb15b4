#include "qxconvert/object_conversion.h"

#include <algorithm>
#include <map>

#include "qxconvert/player_space.h"

namespace velmora::tools {
namespace {

// Fills parts with one draw style's triangles, starting a new part whenever
// the next triangle's vertices would not fit.
class PartBuilder {
public:
    PartBuilder(int32_t drawStyle, size_t maxVertices, std::vector<WriterPart>& parts)
        : drawStyle_(drawStyle), maxVertices_(maxVertices), parts_(parts) {}

    void AddMesh(const aiMesh& mesh) {
        // The slots name vertices of the part being filled; a new mesh has none there yet.
        slot_.assign(mesh.mNumVertices, -1);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3) continue;
            size_t fresh = 0;
            for (int k = 0; k < 3; ++k) fresh += slot_[face.mIndices[k]] < 0;
            if (started_ == 0 || Current().vertices.size() + fresh > maxVertices_) StartPart();
            // The corners keep their order: the mirrored camera sees the
            // mirrored face wound as the source's camera saw the source's.
            int32_t a = Place(mesh, face.mIndices[0]);
            int32_t b = Place(mesh, face.mIndices[1]);
            int32_t c = Place(mesh, face.mIndices[2]);
            Current().polygons.push_back({a, b, c});
        }
    }
    bool Split() const { return started_ > 1; }

private:
    WriterPart& Current() { return parts_.back(); }

    void StartPart() {
        parts_.emplace_back();
        Current().drawStyle = drawStyle_;
        std::fill(slot_.begin(), slot_.end(), -1);
        ++started_;
    }

    int32_t Place(const aiMesh& mesh, unsigned index) {
        if (slot_[index] >= 0) return slot_[index];
        aiVector3D p = MirroredVertex(mesh.mVertices[index]);
        WriterVertex v{p.x, p.y, p.z, 0.0f, 0.0f};
        if (mesh.mTextureCoords[0]) {
            v.tu = mesh.mTextureCoords[0][index].x;
            v.tv = mesh.mTextureCoords[0][index].y;
        }
        Current().vertices.push_back(v);
        return slot_[index] = static_cast<int32_t>(Current().vertices.size() - 1);
    }

    int32_t drawStyle_;
    size_t maxVertices_;
    std::vector<WriterPart>& parts_;  // this builder's parts are at its end
    std::vector<int32_t> slot_;       // the mesh's vertex -> its index in the current part
    int started_ = 0;
};

}  // namespace

std::vector<WriterPart> ConvertParts(const aiScene& scene, const aiNode& node, const std::vector<int32_t>& drawStyleOf,
                                     ConversionNotes& notes, size_t maxPartVertices) {
    // Meshes grouped by draw style, in the order the node names them.
    std::vector<int32_t> order;
    std::map<int32_t, std::vector<const aiMesh*>> byStyle;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        if (node.mMeshes[i] >= scene.mNumMeshes) continue;
        const aiMesh* mesh = scene.mMeshes[node.mMeshes[i]];
        if (!(mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE) || mesh->mNumFaces == 0) continue;
        int32_t style = mesh->mMaterialIndex < drawStyleOf.size() ? drawStyleOf[mesh->mMaterialIndex] : 0;
        if (!byStyle.count(style)) order.push_back(style);
        byStyle[style].push_back(mesh);
    }
    std::vector<WriterPart> parts;
    for (int32_t style : order) {
        PartBuilder builder(style, maxPartVertices, parts);
        for (const aiMesh* mesh : byStyle[style]) builder.AddMesh(*mesh);
        if (builder.Split()) notes.Add("parts of more than 65,535 vertices are split");
    }
    return parts;
}

}  // namespace velmora::tools
