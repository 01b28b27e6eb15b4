// Materials and meshes of ASCII scene exports.
#include <assimp/material.h>

#include <cmath>
#include <unordered_map>

#include "qxconvert/ase_parts.h"

namespace velmora::tools::ase {
namespace {

// Lists claim their lengths up front; a claim beyond what the text holds is
// refused before anything is made for it.
size_t CountEntries(const AseBlock& block, const std::string& key) {
    size_t count = 0;
    for (const AseEntry& entry : block.entries) count += entry.key == key;
    return count;
}

bool ReadColour(const AseEntry& entry, aiColor3D& colour) {
    return AseFloat(entry, 0, colour.r) && AseFloat(entry, 1, colour.g) && AseFloat(entry, 2, colour.b);
}

bool ReadMaterial(const AseBlock& block, Material& material, int depth, std::string& why) {
    for (const AseEntry& entry : block.entries) {
        if (entry.key == "MATERIAL_NAME" && !entry.values.empty()) {
            material.name = entry.values[0];
        } else if (entry.key == "MATERIAL_DIFFUSE") {
            if (!ReadColour(entry, material.diffuse)) return (why = At(entry, "a diffuse colour needs three numbers"), false);
        } else if (entry.key == "MATERIAL_TRANSPARENCY") {
            if (!AseFloat(entry, 0, material.transparency))
                return (why = At(entry, "a transparency needs a number"), false);
            material.transparency = std::fmin(std::fmax(material.transparency, 0.0f), 1.0f);
        } else if (entry.key == "MATERIAL_TWOSIDED") {
            material.twoSided = true;
        } else if (entry.key == "MAP_DIFFUSE" && entry.block) {
            if (const AseEntry* bitmap = entry.block->Find("BITMAP"); bitmap && !bitmap->values.empty())
                material.bitmap = bitmap->values[0];
        } else if (entry.key == "SUBMATERIAL" && entry.block) {
            // Sub-materials of sub-materials are not written by exporters; one
            // level is read and deeper ones are taken as plain materials.
            Material sub;
            if (!ReadMaterial(*entry.block, sub, depth + 1, why)) return false;
            sub.subMaterials.clear();
            if (depth == 0) material.subMaterials.push_back(std::move(sub));
        }
    }
    return true;
}

aiMaterial* GraphMaterial(const std::string& name, const aiColor3D& diffuse, float opacity,
                          const std::string& bitmap, bool twoSided) {
    auto* material = new aiMaterial();
    aiString text(name);
    material->AddProperty(&text, AI_MATKEY_NAME);
    material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    material->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
    int sides = twoSided ? 1 : 0;
    material->AddProperty(&sides, 1, AI_MATKEY_TWOSIDED);
    if (!bitmap.empty()) {
        aiString file(bitmap);
        material->AddProperty(&file, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    return material;
}

// "A:", "5" or "A:5": the value after the label.
bool FaceCorner(const AseEntry& entry, const std::string& label, int64_t high, int64_t& index) {
    for (size_t i = 0; i < entry.values.size(); ++i) {
        const std::string& value = entry.values[i];
        if (value == label && i + 1 < entry.values.size()) return AseInt(entry, i + 1, 0, high, index);
        if (value.size() > label.size() && value.compare(0, label.size(), label) == 0) {
            AseEntry single;
            single.values.push_back(value.substr(label.size()));
            return AseInt(single, 0, 0, high, index);
        }
    }
    return false;
}

struct Face {
    int64_t corner[3] = {0, 0, 0};
    int64_t texture[3] = {-1, -1, -1};
    int64_t materialId = 0;
};

}  // namespace

std::string At(const AseEntry& entry, const std::string& text) {
    return "line " + std::to_string(entry.line) + ": " + text;
}

bool MaterialTable::Read(const AseBlock& document, std::string& why) {
    const AseEntry* list = document.Find("MATERIAL_LIST");
    if (!list || !list->block) return true;
    for (const AseEntry& entry : list->block->entries) {
        if (entry.key != "MATERIAL" || !entry.block) continue;
        Material material;
        if (!ReadMaterial(*entry.block, material, 0, why)) return false;
        list_.push_back(std::move(material));
    }
    return true;
}

unsigned MaterialTable::Make(const Material& material) {
    made_.push_back(GraphMaterial(material.name, material.diffuse, 1.0f - material.transparency, material.bitmap,
                                  material.twoSided));
    return static_cast<unsigned>(made_.size() - 1);
}

unsigned MaterialTable::Resolve(int reference, int64_t materialId, const aiColor3D& wireColour,
                                const std::string& objectName) {
    if (reference < 0 || static_cast<size_t>(reference) >= list_.size()) {
        auto found = byObject_.find(objectName);
        if (found != byObject_.end()) return found->second;
        made_.push_back(GraphMaterial(objectName + " wire colour", wireColour, 1.0f, "", false));
        return byObject_[objectName] = static_cast<unsigned>(made_.size() - 1);
    }
    const Material& material = list_[static_cast<size_t>(reference)];
    // Material ids beyond the sub-materials wrap round, as in the modeller.
    int64_t sub = material.subMaterials.empty()
                      ? -1
                      : materialId % static_cast<int64_t>(material.subMaterials.size());
    auto key = std::make_pair(reference, sub);
    auto found = byReference_.find(key);
    if (found != byReference_.end()) return found->second;
    unsigned index = Make(sub < 0 ? material : material.subMaterials[static_cast<size_t>(sub)]);
    byReference_[key] = index;
    return index;
}

MaterialTable::~MaterialTable() {
    for (aiMaterial* material : made_) delete material;
}

bool ReadNodeTransform(const AseBlock& nodeTm, aiMatrix4x4& world, std::string& why) {
    float rows[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
    for (int r = 0; r < 4; ++r) {
        const AseEntry* row = nodeTm.Find("TM_ROW" + std::to_string(r));
        if (!row) continue;
        if (!AseFloat(*row, 0, rows[r][0]) || !AseFloat(*row, 1, rows[r][1]) || !AseFloat(*row, 2, rows[r][2]))
            return (why = At(*row, "a matrix row needs three numbers"), false);
    }
    world = aiMatrix4x4(rows[0][0], rows[1][0], rows[2][0], rows[3][0],  //
                        rows[0][1], rows[1][1], rows[2][1], rows[3][1],  //
                        rows[0][2], rows[1][2], rows[2][2], rows[3][2],  //
                        0, 0, 0, 1);
    return true;
}

bool BuildMeshes(const AseEntry& object, const AseBlock& mesh, const aiMatrix4x4& world, int materialReference,
                 const aiColor3D& wireColour, const std::string& objectName, MaterialTable& materials,
                 std::vector<aiMesh*>& meshes, std::string& why) {
    int64_t vertexCount = 0, faceCount = 0, textureCount = 0;
    const AseEntry* numVertex = mesh.Find("MESH_NUMVERTEX");
    const AseEntry* numFaces = mesh.Find("MESH_NUMFACES");
    const AseEntry* numTexture = mesh.Find("MESH_NUMTVERTEX");
    const AseEntry* vertexList = mesh.Find("MESH_VERTEX_LIST");
    const AseEntry* faceList = mesh.Find("MESH_FACE_LIST");
    const AseEntry* textureList = mesh.Find("MESH_TVERTLIST");
    const AseEntry* textureFaces = mesh.Find("MESH_TFACELIST");
    const int64_t kLimit = int64_t{1} << 31;
    if (!numVertex || !AseInt(*numVertex, 0, 0, kLimit, vertexCount) || !numFaces ||
        !AseInt(*numFaces, 0, 0, kLimit, faceCount))
        return (why = At(object, objectName + ": a mesh needs its vertex and face counts"), false);
    if (numTexture && !AseInt(*numTexture, 0, 0, kLimit, textureCount))
        return (why = At(*numTexture, "a bad texture vertex count"), false);
    if (faceCount == 0) return true;
    if (!vertexList || !vertexList->block || !faceList || !faceList->block ||
        CountEntries(*vertexList->block, "MESH_VERTEX") < static_cast<size_t>(vertexCount) ||
        CountEntries(*faceList->block, "MESH_FACE") < static_cast<size_t>(faceCount))
        return (why = At(object, objectName + ": the mesh lists fewer vertices or faces than it counts"), false);
    if (textureCount > 0 && (!textureList || !textureList->block ||
                             CountEntries(*textureList->block, "MESH_TVERT") < static_cast<size_t>(textureCount)))
        return (why = At(object, objectName + ": the mesh lists fewer texture vertices than it counts"), false);

    aiMatrix4x4 toLocal = world;
    toLocal.Inverse();
    std::vector<aiVector3D> positions(static_cast<size_t>(vertexCount));
    for (const AseEntry& entry : vertexList->block->entries) {
        if (entry.key != "MESH_VERTEX") continue;
        int64_t index;
        aiVector3D p;
        if (!AseInt(entry, 0, 0, vertexCount - 1, index) || !AseFloat(entry, 1, p.x) || !AseFloat(entry, 2, p.y) ||
            !AseFloat(entry, 3, p.z))
            return (why = At(entry, "a vertex needs its number (below the count) and three numbers"), false);
        positions[static_cast<size_t>(index)] = toLocal * p;
    }
    std::vector<aiVector3D> uvs(static_cast<size_t>(textureCount));
    if (textureCount > 0)
        for (const AseEntry& entry : textureList->block->entries) {
            if (entry.key != "MESH_TVERT") continue;
            int64_t index;
            aiVector3D uv;
            if (!AseInt(entry, 0, 0, textureCount - 1, index) || !AseFloat(entry, 1, uv.x) ||
                !AseFloat(entry, 2, uv.y))
                return (why = At(entry, "a texture vertex needs its number (below the count) and two numbers"),
                        false);
            uvs[static_cast<size_t>(index)] = uv;
        }

    std::vector<Face> faces(static_cast<size_t>(faceCount));
    int64_t last = -1;
    for (const AseEntry& entry : faceList->block->entries) {
        if (entry.key == "MESH_FACE") {
            Face face;
            if (!AseInt(entry, 0, 0, faceCount - 1, last) || !FaceCorner(entry, "A:", vertexCount - 1, face.corner[0]) ||
                !FaceCorner(entry, "B:", vertexCount - 1, face.corner[1]) ||
                !FaceCorner(entry, "C:", vertexCount - 1, face.corner[2]))
                return (why = At(entry, "a face needs its number (below the count) and three vertices of the mesh"),
                        false);
            faces[static_cast<size_t>(last)] = face;
        } else if (entry.key == "MESH_MTLID" && last >= 0) {
            if (!AseInt(entry, 0, 0, kLimit, faces[static_cast<size_t>(last)].materialId))
                return (why = At(entry, "a material id needs a number"), false);
        }
    }
    if (textureCount > 0 && textureFaces && textureFaces->block)
        for (const AseEntry& entry : textureFaces->block->entries) {
            if (entry.key != "MESH_TFACE") continue;
            int64_t index, a, b, c;
            if (!AseInt(entry, 0, 0, faceCount - 1, index) || !AseInt(entry, 1, 0, textureCount - 1, a) ||
                !AseInt(entry, 2, 0, textureCount - 1, b) || !AseInt(entry, 3, 0, textureCount - 1, c))
                return (why = At(entry, "a texture face needs its number and three texture vertices of the mesh"),
                        false);
            Face& face = faces[static_cast<size_t>(index)];
            face.texture[0] = a, face.texture[1] = b, face.texture[2] = c;
        }

    // One mesh per material, each corner a vertex of its own position and
    // texture coordinate pair.
    std::map<unsigned, std::vector<const Face*>> byMaterial;
    for (const Face& face : faces)
        byMaterial[materials.Resolve(materialReference, face.materialId, wireColour, objectName)].push_back(&face);
    for (const auto& [material, list] : byMaterial) {
        std::unordered_map<uint64_t, unsigned> corners;
        std::vector<aiVector3D> vertices, coordinates;
        auto* out = new aiMesh();
        meshes.push_back(out);
        out->mName = objectName;
        out->mMaterialIndex = material;
        out->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
        out->mNumFaces = static_cast<unsigned>(list.size());
        out->mFaces = new aiFace[list.size()];
        for (size_t f = 0; f < list.size(); ++f) {
            aiFace& face = out->mFaces[f];
            face.mNumIndices = 3;
            face.mIndices = new unsigned[3];
            for (int k = 0; k < 3; ++k) {
                int64_t p = list[f]->corner[k], t = list[f]->texture[k];
                uint64_t key = static_cast<uint64_t>(p) << 32 | static_cast<uint32_t>(t + 1);
                auto [at, added] = corners.emplace(key, static_cast<unsigned>(vertices.size()));
                if (added) {
                    vertices.push_back(positions[static_cast<size_t>(p)]);
                    coordinates.push_back(t >= 0 ? uvs[static_cast<size_t>(t)] : aiVector3D());
                }
                face.mIndices[k] = at->second;
            }
        }
        out->mNumVertices = static_cast<unsigned>(vertices.size());
        out->mVertices = new aiVector3D[vertices.size()];
        std::copy(vertices.begin(), vertices.end(), out->mVertices);
        if (textureCount > 0) {
            out->mTextureCoords[0] = new aiVector3D[coordinates.size()];
            out->mNumUVComponents[0] = 2;
            std::copy(coordinates.begin(), coordinates.end(), out->mTextureCoords[0]);
        }
    }
    return true;
}

}  // namespace velmora::tools::ase
