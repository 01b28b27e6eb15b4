#include "qxconvert/conversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "qxconvert/camera_conversion.h"
#include "qxconvert/light_conversion.h"
#include "qxconvert/material_conversion.h"
#include "qxconvert/node_animation.h"
#include "qxconvert/object_conversion.h"
#include "qxconvert/player_space.h"
#include "qxconvert/scene_bounds.h"

namespace velmora::tools {
namespace {

uint32_t PackedColour(const aiColor3D& colour) {
    auto channel = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return channel(colour.r) << 16 | channel(colour.g) << 8 | channel(colour.b);
}

// The glTF reader names unnamed nodes "nodes[N]"; their mesh's name says more.
std::string ObjectName(const aiNode& node) {
    std::string name = node.mName.C_Str();
    return name.rfind("nodes[", 0) == 0 && node.mNumMeshes == 1 ? std::string() : name;
}

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class Converter {
public:
    Converter(const ImportedScene& scene, const ConvertOptions& options, ConvertedScene& out)
        : scene_(scene),
          graph_(*scene.scene),
          options_(options),
          out_(out),
          animator_(graph_, kDefaultFramesPerSecond),
          space_(options.scale),
          textures_(scene, out.notes),
          drawStyleOf_(graph_.mNumMaterials, -1) {}

    bool Run(std::string& why) {
        for (const std::string& note : scene_.readerNotes) out_.notes.Add(note);
        if (animator_.SharedNodes() > 0)
            out_.notes.Add("nodes moved by more than one animation follow the first");
        if (!PlanFrames(scene_, animator_.EndSeconds(), options_.framesPerSecond, options_.frames, out_.frames, why,
                        options_.seconds))
            return false;
        SceneDescription& description = out_.description;
        description.frameCount = out_.frames.count;

        AddObjects(*graph_.mRootNode);
        if (description.objects.empty()) return (why = "no node of the scene holds a mesh with triangles", false);
        SceneBounds bounds = ObjectBounds(description.objects);

        description.cameras = ConvertCameras(scene_, animator_, out_.frames, space_, names_, out_.notes);
        if (options_.orbit) {
            // In place of the framing camera where the source has none.
            out_.orbitCamera = true;
            description.cameras.push_back(
                OrbitCamera(bounds, out_.frames.count, names_.Take("Orbit", "Camera", kMaxNodeName), out_.notes));
            if (out_.frames.count == 1)
                out_.notes.Add("--orbit on a scene of one frame stands still; --seconds N makes it circle over N "
                               "seconds");
        } else if (description.cameras.empty()) {
            out_.framingCamera = true;
            description.cameras.push_back(
                FramingCamera(bounds, out_.frames.count, names_.Take("Camera", "Camera", kMaxNodeName), out_.notes));
        }
        ConvertedLights lights = ConvertLights(scene_, animator_, out_.frames, space_, bounds, names_, out_.notes);
        description.lights = std::move(lights.lights);
        if (description.lights.empty()) {
            out_.defaultLights = true;
            description.lights = DefaultLights(bounds, names_);
        }
        std::optional<aiColor3D> ambient = scene_.ambient ? scene_.ambient : lights.ambient;
        description.ambient.assign(static_cast<size_t>(out_.frames.count),
                                   ambient ? PackedColour(*ambient) : kDefaultAmbient);
        out_.textures = textures_.Files();
        return true;
    }

private:
    int32_t DrawStyle(unsigned material) {
        if (material >= graph_.mNumMaterials) {
            if (fallbackStyle_ < 0) {
                fallbackStyle_ = static_cast<int32_t>(out_.description.drawStyles.size());
                out_.description.drawStyles.push_back(WriterDrawStyle{0.6f, 0.6f, 0.6f, 0.0f, ""});
                twoSided_.push_back(false);
            }
            return fallbackStyle_;
        }
        if (drawStyleOf_[material] < 0) {
            ConvertedMaterial converted = ConvertMaterial(*graph_.mMaterials[material], scene_.format, textures_);
            drawStyleOf_[material] = static_cast<int32_t>(out_.description.drawStyles.size());
            out_.description.drawStyles.push_back(converted.style);
            twoSided_.push_back(converted.twoSided);
        }
        return drawStyleOf_[material];
    }

    void AddObjects(const aiNode& node) {
        if (node.mNumMeshes > 0) AddObject(node);
        for (unsigned i = 0; i < node.mNumChildren; ++i) AddObjects(*node.mChildren[i]);
    }

    void AddObject(const aiNode& node) {
        std::vector<int32_t> styles(graph_.mNumMaterials, 0);
        for (unsigned i = 0; i < node.mNumMeshes; ++i) {
            if (node.mMeshes[i] >= graph_.mNumMeshes) continue;
            unsigned material = graph_.mMeshes[node.mMeshes[i]]->mMaterialIndex;
            int32_t style = DrawStyle(material);
            if (material < styles.size()) styles[material] = style;
        }
        WriterObject object;
        object.parts = ConvertParts(graph_, node, styles, out_.notes, options_.maxPartVertices);
        if (object.parts.empty()) return;
        std::string wanted = ObjectName(node);
        if (wanted.empty()) wanted = graph_.mMeshes[node.mMeshes[0]]->mName.C_Str();
        object.name = names_.Take(wanted, "Object", kMaxNodeName);
        object.parentName = node.mParent ? SafeWord(node.mParent->mName.C_Str(), kMaxNodeName) : "";
        for (int32_t f = 0; f < out_.frames.count; ++f)
            object.matrices.push_back(space_.World(animator_.Global(node, out_.frames.Seconds(f))));
        object.animated = std::any_of(object.matrices.begin(), object.matrices.end(),
                                      [&](const D3DMATRIX& m) { return !SameMatrix(m, object.matrices.front()); });
        if (!object.animated) object.matrices.resize(1);
        bool twoSided = std::any_of(object.parts.begin(), object.parts.end(),
                                    [&](const WriterPart& part) { return twoSided_[part.drawStyle]; });
        if (twoSided) out_.twoSidedObjects.push_back(object.name);
        out_.description.objects.push_back(std::move(object));
    }

    const ImportedScene& scene_;
    const aiScene& graph_;
    const ConvertOptions& options_;
    ConvertedScene& out_;
    NodeAnimator animator_;
    PlayerSpace space_;
    TextureExport textures_;
    NameSet names_;
    std::vector<int32_t> drawStyleOf_;
    std::vector<bool> twoSided_;  // per draw style
    int32_t fallbackStyle_ = -1;
};

}  // namespace

bool ConvertScene(const ImportedScene& scene, const ConvertOptions& options, ConvertedScene& converted,
                  std::string& why) {
    if (!scene.scene || !scene.scene->mRootNode) return (why = "no scene was read", false);
    Converter converter(scene, options, converted);
    return converter.Run(why);
}

}  // namespace velmora::tools
