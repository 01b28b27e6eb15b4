#include "qxconvert/scene_import.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "qxconvert/allocation_budget.h"
#include "qxconvert/ase_scene.h"

namespace velmora::tools {
namespace {

// Memory a reader may take: a base for the library's own tables, and a share
// of the file that covers compressed arrays and separate buffer files.
constexpr uint64_t kBudgetBase = uint64_t{256} << 20;
constexpr uint64_t kBudgetPerByte = 256;

// Triangles only: polygons are cut into triangles, points and lines dropped,
// corners that repeat a vertex shared. Texture coordinates stay as the
// readers give them (origin at the bottom left) and handedness as it is: the
// conversion makes the player's conventions itself.
constexpr unsigned kImportSteps = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_SortByPType |
                                  aiProcess_FindDegenerates | aiProcess_ValidateDataStructure |
                                  aiProcess_GenUVCoords | aiProcess_RemoveRedundantMaterials;

std::string Directory(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The sizes of the file and of the buffers beside it that it may name.
uint64_t SourceBytes(const std::string& path) {
    struct stat info {};
    uint64_t bytes = stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    std::string extension = LowerExtension(path);
    if (extension == "gltf") {
        // Buffers of a text glTF file lie beside it; the largest few count.
        // (Reading the file's buffer list would mean parsing it twice.)
        bytes += uint64_t{64} << 20;
    }
    return bytes;
}

double FbxFrameRate(const aiScene& scene) {
    if (!scene.mMetaData) return 0.0;
    int32_t mode = 0;
    float custom = 0.0f;
    if (!scene.mMetaData->Get("FrameRate", mode)) return 0.0;
    // The time modes of the format, in its own numbering.
    static const double kRates[] = {0, 120, 100, 60, 50, 48, 30, 30, 29.97, 29.97, 25, 24, 1000, 23.976, 0, 96, 72, 59.94};
    if (mode == 14) return scene.mMetaData->Get("CustomFrameRate", custom) && custom > 0.0f ? custom : 0.0;
    return mode > 0 && mode < static_cast<int32_t>(std::size(kRates)) ? kRates[mode] : 0.0;
}

bool HasTriangles(const aiScene& scene) {
    for (unsigned i = 0; i < scene.mNumMeshes; ++i)
        if (scene.mMeshes[i] && scene.mMeshes[i]->mNumFaces > 0 &&
            (scene.mMeshes[i]->mPrimitiveTypes & aiPrimitiveType_TRIANGLE))
            return true;
    return false;
}

// The 3DS reader chains each rotation key onto the one before about the
// node's own axes; the modeller's keys, like its ASCII exports' (whose target
// cameras stay on their targets only so), turn about the parent's. The
// chain is undone and made again the other way round.
void ChainRotationsAboutParentAxes(aiScene& scene) {
    for (unsigned a = 0; a < scene.mNumAnimations; ++a)
        for (unsigned c = 0; c < scene.mAnimations[a]->mNumChannels; ++c) {
            aiNodeAnim& channel = *scene.mAnimations[a]->mChannels[c];
            if (channel.mNumRotationKeys < 2) continue;
            aiQuaternion before = channel.mRotationKeys[0].mValue, chained = before;
            for (unsigned k = 1; k < channel.mNumRotationKeys; ++k) {
                aiQuaternion read = channel.mRotationKeys[k].mValue;
                aiQuaternion step = aiQuaternion(before).Conjugate() * read;  // read = before * step
                chained = (step * chained).Normalize();
                channel.mRotationKeys[k].mValue = chained;
                before = read;
            }
        }
}

bool ImportWithLibrary(const std::string& path, ImportedScene& out, std::string& why) {
    out.importer = std::make_unique<Assimp::Importer>();
    Assimp::Importer& importer = *out.importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    importer.SetPropertyBool(AI_CONFIG_PP_FD_REMOVE, true);
    const aiScene* scene = nullptr;
    try {
        scene = importer.ReadFile(path, kImportSteps);
    } catch (const std::bad_alloc&) {
        why = "needs more memory than a scene of its size can (a damaged count?)";
        return false;
    } catch (const std::exception& fault) {
        why = fault.what();
        return false;
    }
    if (!scene) {
        why = importer.GetErrorString();
        if (why.find("bad_alloc") != std::string::npos)  // caught by the library itself
            why = "needs more memory than a scene of its size can (a damaged count?)";
        if (why.empty()) why = "the import library could not read it";
        return false;
    }
    if (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE && !scene->mRootNode) {
        why = "the import library read no scene from it";
        return false;
    }
    out.scene = scene;
    std::string extension = LowerExtension(path);
    out.format = extension == "gltf" || extension == "glb" ? SourceFormat::Gltf
                 : extension == "fbx"                      ? SourceFormat::Fbx
                                                           : SourceFormat::Other;
    if (extension == "3ds") out.format = SourceFormat::ThreeDs;
    if (out.format == SourceFormat::ThreeDs && scene->mNumAnimations > 0) {
        out.ownScene.reset(importer.GetOrphanedScene());
        ChainRotationsAboutParentAxes(*out.ownScene);
        out.scene = out.ownScene.get();
    }
    if (out.format == SourceFormat::Fbx) out.framesPerSecond = FbxFrameRate(*scene);
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        if (mesh->mNumBones > 0) out.readerNotes.push_back("skinned meshes are taken in their rest pose");
        if (mesh->mNumAnimMeshes > 0) out.readerNotes.push_back("morph targets are taken in their rest pose");
    }
    return true;
}

// Whether the file starts as an ASCII scene export does, whatever its name
// (UTF-16 and byte-order marks allowed).
bool LooksLikeAse(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char head[96];
    size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    std::string text;
    for (size_t i = 0; i < got; ++i) {
        unsigned char c = static_cast<unsigned char>(head[i]);
        if (c != 0 && c < 0x80) text.push_back(static_cast<char>(c));
    }
    size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string::npos && text.compare(start, 19, "*3DSMAX_ASCIIEXPORT") == 0;
}

}  // namespace

std::string LowerExtension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool ImportScene(const std::string& path, ImportedScene& scene, std::string& why) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return (why = std::strerror(errno), false);
    if (!S_ISREG(info.st_mode)) return (why = "is not a file", false);
    if (access(path.c_str(), R_OK) != 0) return (why = std::strerror(errno), false);
    scene.path = path;
    scene.directory = Directory(path);

    SetAllocationBudget(kBudgetBase + kBudgetPerByte * SourceBytes(path));
    bool read;
    try {
        if (LooksLikeAse(path) || LowerExtension(path) == "ase") {
            scene.format = SourceFormat::Ase;
            read = ReadAseFile(path, scene, why);
        } else {
            read = ImportWithLibrary(path, scene, why);
        }
    } catch (const std::bad_alloc&) {
        why = "needs more memory than a scene of its size can (a damaged count?)";
        read = false;
    }
    SetAllocationBudget(0);
    if (!read) return false;
    if (!scene.scene->mRootNode || !HasTriangles(*scene.scene))
        return (why = "holds nothing to draw (no triangles)", false);
    return true;
}

}  // namespace velmora::tools
