#include "qxconvert/camera_conversion.h"

#include <assimp/types.h>

#include <algorithm>
#include <cmath>

#include "qxconvert/timed_values.h"
#include "render/display.h"

namespace velmora::tools {
namespace {

// Narrower and wider views than these are typing mistakes or degenerate cameras.
constexpr float kLeastFov = 0.01f;
constexpr float kMostFov = 3.0f;

float Clamped(float fov) { return std::clamp(fov, kLeastFov, kMostFov); }

aiVector3D Or(const aiVector3D& v, const aiVector3D& otherwise) { return v.Length() > 0.0f ? v : otherwise; }

}  // namespace

float HorizontalFov(const aiCamera& camera, SourceFormat format) {
    float fov = camera.mHorizontalFOV;
    if (!(fov > 0.0f)) return kDefaultFov;
    if (format == SourceFormat::Gltf) {
        float vertical = camera.mAspect > 0.0f ? fov / camera.mAspect : fov;
        float widthPerHeight = camera.mAspect > 0.0f ? camera.mAspect : kPlayerVerticalScale;
        fov = 2.0f * std::atan(std::tan(vertical / 2.0f) * widthPerHeight);
    }
    return Clamped(fov);
}

std::vector<WriterCamera> ConvertCameras(const ImportedScene& scene, const NodeAnimator& animator,
                                         const FramePlan& frames, const PlayerSpace& space, NameSet& names,
                                         ConversionNotes& notes) {
    std::vector<WriterCamera> cameras;
    const aiScene& graph = *scene.scene;
    if (scene.format == SourceFormat::ThreeDs && graph.mNumCameras > 0) {
        // The library's 3DS reader drops the target every such camera looks
        // at, leaving it looking along a fixed axis from twice its place.
        notes.Add("the import library reads 3DS cameras without their targets: they are left out (the scene's "
                  "ASE export keeps them)");
        return cameras;
    }
    for (unsigned i = 0; i < graph.mNumCameras; ++i) {
        const aiCamera& source = *graph.mCameras[i];
        const aiNode* node = graph.mRootNode->FindNode(source.mName);
        if (!node) {
            notes.Add("camera " + std::string(source.mName.C_Str()) + " is in no node and is left out");
            continue;
        }
        if (!(source.mHorizontalFOV > 0.0f))
            notes.Add("orthographic cameras become perspective ones of 45 degrees");
        float fov = HorizontalFov(source, scene.format);
        auto animatedFov = scene.cameraFov.find(source.mName.C_Str());
        // The glTF reader copies the node's translation into the camera as
        // well; the node alone places it.
        aiVector3D position = scene.format == SourceFormat::Gltf ? aiVector3D() : source.mPosition;
        aiVector3D look = Or(source.mLookAt, aiVector3D(0, 0, -1));
        aiVector3D up = Or(source.mUp, aiVector3D(0, 1, 0));

        WriterCamera camera;
        camera.name = names.Take(source.mName.C_Str(), "Camera", kMaxNodeName);
        for (int32_t f = 0; f < frames.count; ++f) {
            double seconds = frames.Seconds(f);
            aiMatrix4x4 global = animator.Global(*node, seconds);
            aiMatrix3x3 turn(global);
            aiVector3D eye = space.Point(global * position);
            camera.matrices.push_back(LookTo(eye, space.Direction(turn * look), space.Direction(turn * up)));
            camera.fov.push_back(animatedFov == scene.cameraFov.end()
                                     ? fov
                                     : Clamped(ValueAt(animatedFov->second, seconds, fov)));
        }
        cameras.push_back(std::move(camera));
    }
    return cameras;
}

WriterCamera FramingCamera(const SceneBounds& bounds, int32_t frameCount, const std::string& name,
                           ConversionNotes& notes) {
    // The narrower half-angle of the view decides how far back the camera stands.
    float halfWidth = kDefaultFov / 2.0f;
    float halfHeight = std::atan(std::tan(halfWidth) / kPlayerVerticalScale);
    float radius = bounds.Radius();
    float distance = radius / std::sin(std::min(halfWidth, halfHeight));
    const float elevation = 0.35f, azimuth = 0.5f;  // about 20 and 30 degrees
    aiVector3D toEye(-std::sin(azimuth) * std::cos(elevation), std::sin(elevation),
                     -std::cos(azimuth) * std::cos(elevation));
    aiVector3D centre = bounds.Centre();
    if (distance - radius < kNearPlane)
        notes.Add("the scene is small beside the player's near plane of 1 unit; --scale enlarges it");
    WriterCamera camera;
    camera.name = name;
    camera.fov.assign(static_cast<size_t>(frameCount), kDefaultFov);
    camera.matrices.assign(static_cast<size_t>(frameCount),
                           LookTo(centre + toEye * distance, -toEye, aiVector3D(0, 1, 0)));
    return camera;
}

}  // namespace velmora::tools
