#include "qxconvert/ase_scene.h"

#include <assimp/camera.h>
#include <assimp/light.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "qxconvert/ase_parts.h"

namespace velmora::tools {
namespace {

using ase::At;

// The exporter's defaults when a scene block leaves them out.
constexpr double kDefaultFrameSpeed = 30.0;
constexpr double kDefaultTicksPerFrame = 160.0;
// Files larger than any scene a modeller writes as text are refused unread.
constexpr std::streamoff kMaxFileBytes = std::streamoff{1} << 30;

struct SourceNode {
    std::string name;
    std::string parent;
    aiMatrix4x4 world;
    const AseEntry* entry = nullptr;
    const AseBlock* animation = nullptr;  // its TM_ANIMATION, when it has one
    std::vector<unsigned> meshes;
    aiNode* made = nullptr;
};

struct SceneInfo {
    double frameSpeed = kDefaultFrameSpeed;
    double ticksPerFrame = kDefaultTicksPerFrame;
    double firstFrame = 0.0, lastFrame = 0.0;
    std::optional<aiColor3D> ambient;
};

bool ReadSceneInfo(const AseBlock& document, SceneInfo& info, std::string& why) {
    const AseEntry* scene = document.Find("SCENE");
    if (!scene || !scene->block) return true;
    for (const AseEntry& entry : scene->block->entries) {
        float value;
        if (entry.key == "SCENE_FIRSTFRAME" || entry.key == "SCENE_LASTFRAME" || entry.key == "SCENE_FRAMESPEED" ||
            entry.key == "SCENE_TICKSPERFRAME") {
            if (!AseFloat(entry, 0, value)) return (why = At(entry, "a scene setting needs a number"), false);
            if (entry.key == "SCENE_FIRSTFRAME") info.firstFrame = value;
            if (entry.key == "SCENE_LASTFRAME") info.lastFrame = value;
            if (entry.key == "SCENE_FRAMESPEED") info.frameSpeed = value;
            if (entry.key == "SCENE_TICKSPERFRAME") info.ticksPerFrame = value;
        } else if (entry.key == "SCENE_AMBIENT_STATIC") {
            aiColor3D colour;
            if (!AseFloat(entry, 0, colour.r) || !AseFloat(entry, 1, colour.g) || !AseFloat(entry, 2, colour.b))
                return (why = At(entry, "an ambient colour needs three numbers"), false);
            info.ambient = colour;
        }
    }
    if (!(info.frameSpeed > 0.0 && info.frameSpeed <= 1000.0) || !(info.ticksPerFrame >= 1.0))
        return (why = At(*scene, "the scene's frame speed or ticks per frame is out of range"), false);
    if (info.lastFrame < info.firstFrame) info.lastFrame = info.firstFrame;
    return true;
}

// The node blocks of the document, groups opened.
void CollectNodes(const AseBlock& block, std::vector<const AseEntry*>& nodes, int depth) {
    for (const AseEntry& entry : block.entries) {
        if (!entry.block) continue;
        if (entry.key == "GROUP" && depth < 16)
            CollectNodes(*entry.block, nodes, depth + 1);
        else if (entry.key == "GEOMOBJECT" || entry.key == "CAMERAOBJECT" || entry.key == "LIGHTOBJECT" ||
                 entry.key == "HELPEROBJECT" || entry.key == "SHAPEOBJECT")
            nodes.push_back(&entry);
    }
}

std::string Value(const AseBlock& block, const std::string& key) {
    const AseEntry* entry = block.Find(key);
    return entry && !entry->values.empty() ? entry->values[0] : std::string();
}

// Settings blocks of a camera or light over time: the static one at time 0
// and those of its animation block.
template <typename Read>
bool ReadSettingKeys(const AseBlock& node, const std::string& settingsKey, const std::string& animationKey,
                     double ticksPerSecond, Read read, std::string& why) {
    std::vector<const AseEntry*> blocks;
    if (const AseEntry* fixed = node.Find(settingsKey); fixed && fixed->block) blocks.push_back(fixed);
    if (const AseEntry* animation = node.Find(animationKey); animation && animation->block)
        for (const AseEntry& entry : animation->block->entries)
            if (entry.key == settingsKey && entry.block) blocks.push_back(&entry);
    for (const AseEntry* settings : blocks) {
        float tick = 0.0f;
        if (const AseEntry* time = settings->block->Find("TIMEVALUE"); time && !AseFloat(*time, 0, tick))
            return (why = At(*time, "a time value needs a number"), false);
        if (!read(*settings, static_cast<double>(tick) / ticksPerSecond)) return false;
    }
    return true;
}

// Keys in time order, for reading values between them.
template <typename T>
void SortByTime(std::vector<TimedValue<T>>& keys) {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const TimedValue<T>& a, const TimedValue<T>& b) { return a.seconds < b.seconds; });
}

// A name the graph's lookups can tell apart: the exporter repeats none, but a
// hand-edited file may.
std::string DistinctName(const std::string& name, std::set<std::string>& taken) {
    std::string candidate = name;
    for (int n = 2; !taken.insert(candidate).second; ++n) candidate = name + "." + std::to_string(n);
    return candidate;
}

template <typename T>
T** Array(const std::vector<T*>& items) {
    if (items.empty()) return nullptr;
    T** out = new T*[items.size()];
    std::copy(items.begin(), items.end(), out);
    return out;
}

class Builder {
public:
    Builder(const AseBlock& document, ImportedScene& out) : document_(document), out_(out) {}

    bool Build(std::string& why) {
        if (!ReadSceneInfo(document_, info_, why) || !materials_.Read(document_, why)) return false;
        ticksPerSecond_ = info_.frameSpeed * info_.ticksPerFrame;
        std::vector<const AseEntry*> blocks;
        CollectNodes(document_, blocks, 0);
        for (const AseEntry* block : blocks)
            if (!ReadNode(*block, why)) return false;
        if (meshes_.empty())
            return (why = "the scene holds no object with faces", false);
        return Assemble(why);
    }

private:
    bool ReadNode(const AseEntry& entry, std::string& why) {
        const AseBlock& body = *entry.block;
        SourceNode node;
        node.entry = &entry;
        node.name = DistinctName(Value(body, "NODE_NAME"), names_);
        node.parent = Value(body, "NODE_PARENT");
        if (const AseEntry* tm = body.Find("NODE_TM"); tm && tm->block)
            if (!ase::ReadNodeTransform(*tm->block, node.world, why)) return false;
        // A transform that flattens the node cannot be undone to take its
        // world-space vertices into its own space: such a node stays in place.
        if (!(std::fabs(node.world.Determinant()) > 1e-12f)) node.world = aiMatrix4x4();
        // A target camera's or light's second animation block moves its
        // target, which the player has no use for: the node's own block names it.
        for (const AseEntry& animation : body.entries) {
            if (animation.key != "TM_ANIMATION" || !animation.block) continue;
            std::string owner = Value(*animation.block, "NODE_NAME");
            if (owner.empty() || owner == Value(body, "NODE_NAME")) {
                node.animation = animation.block.get();
                break;
            }
        }

        if (entry.key == "GEOMOBJECT") {
            if (!ReadGeometry(body, node, why)) return false;
        } else if (entry.key == "CAMERAOBJECT") {
            if (!ReadCamera(body, node, why)) return false;
        } else if (entry.key == "LIGHTOBJECT") {
            if (!ReadLight(body, node, why)) return false;
        }
        nodes_.push_back(std::move(node));
        return true;
    }

    bool ReadGeometry(const AseBlock& body, SourceNode& node, std::string& why) {
        const AseEntry* mesh = body.Find("MESH");
        if (!mesh || !mesh->block) return true;
        int64_t reference = -1;
        if (const AseEntry* ref = body.Find("MATERIAL_REF");
            ref && !AseInt(*ref, 0, 0, static_cast<int64_t>(materials_.Size()) - 1, reference))
            return (why = At(*ref, "the material reference names no material of the list"), false);
        aiColor3D wire(0.6f, 0.6f, 0.6f);
        if (const AseEntry* colour = body.Find("WIREFRAME_COLOR"))
            if (!AseFloat(*colour, 0, wire.r) || !AseFloat(*colour, 1, wire.g) || !AseFloat(*colour, 2, wire.b))
                return (why = At(*colour, "a wire colour needs three numbers"), false);
        std::vector<aiMesh*> made;
        bool built = ase::BuildMeshes(*node.entry, *mesh->block, node.world, static_cast<int>(reference), wire,
                                      node.name, materials_, made, why);
        for (aiMesh* m : made) {
            node.meshes.push_back(static_cast<unsigned>(meshes_.size()));
            meshes_.push_back(m);
        }
        if (!built) return false;
        if (body.Find("MESH_ANIMATION")) Note("vertex animation is taken in its rest pose");
        if (mesh->block->Find("MESH_NUMBONE") || body.Find("MESH_NUMBONE"))
            Note("skinned meshes are taken in their rest pose");
        return true;
    }

    bool ReadCamera(const AseBlock& body, SourceNode& node, std::string& why) {
        auto* camera = new aiCamera();
        cameras_.push_back(camera);
        camera->mName = node.name;
        // The modeller's cameras look down their -z axis with y up, as the
        // graph's do; the field of view is the horizontal one.
        camera->mLookAt = aiVector3D(0, 0, -1);
        camera->mUp = aiVector3D(0, 1, 0);
        camera->mHorizontalFOV = 0.7854f;
        std::vector<TimedValue<float>> keys;
        bool read = ReadSettingKeys(
            body, "CAMERA_SETTINGS", "CAMERA_ANIMATION", ticksPerSecond_,
            [&](const AseEntry& settings, double seconds) {
                const AseEntry* fov = settings.block->Find("CAMERA_FOV");
                if (!fov) return true;
                float value;
                if (!AseFloat(*fov, 0, value) || !(value > 0.0f && value < 3.1f))
                    return (why = At(*fov, "a field of view needs an angle between 0 and pi"), false);
                keys.push_back({seconds, value});
                return true;
            },
            why);
        if (!read) return false;
        SortByTime(keys);
        if (!keys.empty()) camera->mHorizontalFOV = keys.front().value;
        if (keys.size() > 1) out_.cameraFov[node.name] = keys;
        return true;
    }

    bool ReadLight(const AseBlock& body, SourceNode& node, std::string& why) {
        auto* light = new aiLight();
        lights_.push_back(light);
        light->mName = node.name;
        std::string type = Value(body, "LIGHT_TYPE");
        light->mType = type == "Omni"                                    ? aiLightSource_POINT
                       : type == "Directional" || type == "TargetDirect" ? aiLightSource_DIRECTIONAL
                                                                         : aiLightSource_SPOT;
        // Lights shine down their -z axis; the modeller's lights do not fade
        // unless told to.
        light->mDirection = aiVector3D(0, 0, -1);
        light->mUp = aiVector3D(0, 1, 0);
        light->mAttenuationConstant = 1.0f;
        light->mAttenuationLinear = 0.0f;  // the graph's lights start out linear
        light->mAttenuationQuadratic = 0.0f;
        std::vector<TimedValue<aiColor3D>> keys;
        bool read = ReadSettingKeys(
            body, "LIGHT_SETTINGS", "LIGHT_ANIMATION", ticksPerSecond_,
            [&](const AseEntry& settings, double seconds) {
                aiColor3D colour(1, 1, 1);
                float intensity = 1.0f, hotspot = 0.0f, falloff = 0.0f;
                const AseEntry* c = settings.block->Find("LIGHT_COLOR");
                const AseEntry* i = settings.block->Find("LIGHT_INTENS");
                const AseEntry* h = settings.block->Find("LIGHT_HOTSPOT");
                const AseEntry* f = settings.block->Find("LIGHT_FALLOFF");
                if ((c && (!AseFloat(*c, 0, colour.r) || !AseFloat(*c, 1, colour.g) || !AseFloat(*c, 2, colour.b))) ||
                    (i && !AseFloat(*i, 0, intensity)) || (h && !AseFloat(*h, 0, hotspot)) ||
                    (f && !AseFloat(*f, 0, falloff)))
                    return (why = At(settings, "light settings need numbers"), false);
                keys.push_back({seconds, colour * intensity});
                if (keys.size() == 1) {
                    light->mAngleInnerCone = hotspot * 3.14159265f / 180.0f;
                    light->mAngleOuterCone = falloff * 3.14159265f / 180.0f;
                }
                return true;
            },
            why);
        if (!read) return false;
        SortByTime(keys);
        light->mColorDiffuse = keys.empty() ? aiColor3D(1, 1, 1) : keys.front().value;
        light->mColorSpecular = light->mColorDiffuse;
        if (keys.size() > 1) out_.lightColour[node.name] = keys;
        return true;
    }

    void Note(const std::string& text) {
        for (const std::string& note : out_.readerNotes)
            if (note == text) return;
        out_.readerNotes.push_back(text);
    }

    // The parent of a node, or null for the root: a missing parent, or one
    // whose own chain of parents runs in a loop, leaves the node at the top.
    SourceNode* ParentOf(size_t index, const std::map<std::string, size_t>& byName) {
        auto find = [&](size_t at) {
            auto found = byName.find(nodes_[at].parent);
            return found == byName.end() ? nodes_.size() : found->second;
        };
        size_t parent = find(index);
        if (parent == nodes_.size()) return nullptr;
        std::set<size_t> seen{index};
        for (size_t at = parent; at != nodes_.size(); at = find(at))
            if (!seen.insert(at).second) return nullptr;
        return &nodes_[parent];
    }

    bool Assemble(std::string& why) {
        auto scene = std::make_unique<aiScene>();
        scene->mRootNode = new aiNode("<ASERoot>");
        // The modeller's Z-up space turned to the graph's Y up.
        scene->mRootNode->mTransformation = aiMatrix4x4(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1);

        for (SourceNode& node : nodes_) {
            node.made = new aiNode(node.name);
            node.made->mNumMeshes = static_cast<unsigned>(node.meshes.size());
            if (!node.meshes.empty()) {
                node.made->mMeshes = new unsigned[node.meshes.size()];
                std::copy(node.meshes.begin(), node.meshes.end(), node.made->mMeshes);
            }
        }
        std::map<std::string, size_t> byName;
        for (size_t i = 0; i < nodes_.size(); ++i) byName.emplace(nodes_[i].name, i);
        std::map<aiNode*, std::vector<aiNode*>> children;
        for (size_t i = 0; i < nodes_.size(); ++i) {
            SourceNode* parent = ParentOf(i, byName);
            aiMatrix4x4 toParent;
            if (parent) toParent = aiMatrix4x4(parent->world).Inverse();
            nodes_[i].made->mTransformation = toParent * nodes_[i].world;
            children[parent ? parent->made : scene->mRootNode].push_back(nodes_[i].made);
        }
        // The nodes belong to the graph from here on, whatever follows.
        for (auto& [parent, list] : children) parent->addChildren(static_cast<unsigned>(list.size()), list.data());

        std::vector<aiNodeAnim*> channels;
        double lastSeconds = 0.0;
        for (SourceNode& node : nodes_) {
            if (!node.animation) continue;
            aiNodeAnim* channel = nullptr;
            if (!ase::BuildChannel(*node.animation, node.name, node.made->mTransformation, ticksPerSecond_, channel,
                                   lastSeconds, why)) {
                for (aiNodeAnim* made : channels) delete made;
                return false;
            }
            if (channel) channels.push_back(channel);
        }
        if (!channels.empty()) {
            auto* animation = new aiAnimation();
            animation->mName = "ASE";
            animation->mTicksPerSecond = ticksPerSecond_;
            animation->mDuration = lastSeconds * ticksPerSecond_;
            animation->mNumChannels = static_cast<unsigned>(channels.size());
            animation->mChannels = Array(channels);
            scene->mNumAnimations = 1;
            scene->mAnimations = new aiAnimation*[1]{animation};
        }

        std::vector<aiMaterial*> materials = materials_.Release();
        scene->mNumMaterials = static_cast<unsigned>(materials.size());
        scene->mMaterials = Array(materials);
        scene->mNumMeshes = static_cast<unsigned>(meshes_.size());
        scene->mMeshes = Array(meshes_);
        meshes_.clear();
        scene->mNumCameras = static_cast<unsigned>(cameras_.size());
        scene->mCameras = Array(cameras_);
        cameras_.clear();
        scene->mNumLights = static_cast<unsigned>(lights_.size());
        scene->mLights = Array(lights_);
        lights_.clear();

        out_.framesPerSecond = info_.frameSpeed;
        out_.frameRange = std::make_pair(info_.firstFrame, info_.lastFrame);
        out_.ambient = info_.ambient;
        out_.scene = scene.get();
        out_.ownScene = std::move(scene);
        return true;
    }

public:
    ~Builder() {
        for (aiMesh* mesh : meshes_) delete mesh;
        for (aiCamera* camera : cameras_) delete camera;
        for (aiLight* light : lights_) delete light;
    }

private:
    const AseBlock& document_;
    ImportedScene& out_;
    SceneInfo info_;
    double ticksPerSecond_ = kDefaultFrameSpeed * kDefaultTicksPerFrame;
    ase::MaterialTable materials_;
    std::vector<SourceNode> nodes_;
    std::set<std::string> names_;
    std::vector<aiMesh*> meshes_;
    std::vector<aiCamera*> cameras_;
    std::vector<aiLight*> lights_;
};

}  // namespace

bool BuildAseScene(const AseBlock& document, ImportedScene& scene, std::string& why) {
    Builder builder(document, scene);
    return builder.Build(why);
}

bool ReadAseFile(const std::string& path, ImportedScene& scene, std::string& why) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return (why = "cannot be opened", false);
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxFileBytes) return (why = "is larger than any scene export", false);
    file.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    if (!file.read(text.data(), size)) return (why = "cannot be read", false);
    AseBlock document;
    return ParseAseDocument(text, document, why) && BuildAseScene(document, scene, why);
}

}  // namespace velmora::tools
