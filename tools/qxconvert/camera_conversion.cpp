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

ViewSlopes PlayerViewSlopes(float fov, int width, int height) {
    // As the player's ProjectionAspect and SetProjection: x scaled by the
    // quotient times cot(fov / 2), y by 1.3 times cot(fov / 2).
    const int quotient = height > 0 && width / height > 0 ? width / height : 1;
    const float slope = std::tan(fov / 2.0f);
    return {slope / static_cast<float>(quotient), slope / kPlayerVerticalScale};
}

namespace {

constexpr float kCameraElevation = 0.35f;  // about 20 degrees above the centre
constexpr float kCameraAzimuth = 0.5f;     // about 30 degrees left of the front
constexpr float kTwoPi = 6.28318530718f;

// From the box's centre towards an eye at that azimuth (turning from the
// front, -z, towards -x) and the fixed elevation.
aiVector3D TowardsEye(float azimuth) {
    return aiVector3D(-std::sin(azimuth) * std::cos(kCameraElevation), std::sin(kCameraElevation),
                      -std::cos(azimuth) * std::cos(kCameraElevation));
}

// How far from the centre along toEye a camera must stand for every corner
// of the box to lie within the filled share of the widest mode's picture.
float FramingDistance(const SceneBounds& bounds, const aiVector3D& toEye) {
    const ViewSlopes slopes = PlayerViewSlopes(kDefaultFov, kWidestModeWidth, kWidestModeHeight);
    const float sx = slopes.horizontal * kFramingFill, sy = slopes.vertical * kFramingFill;
    const aiVector3D forward = -toEye;
    aiVector3D right = aiVector3D(0, 1, 0) ^ forward;
    right.Normalize();
    const aiVector3D up = forward ^ right;
    const aiVector3D centre = bounds.Centre();
    const float radius = bounds.Radius();
    const aiVector3D low = bounds.Empty() ? centre - aiVector3D(radius) : bounds.low;
    const aiVector3D high = bounds.Empty() ? centre + aiVector3D(radius) : bounds.high;
    float distance = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        aiVector3D c(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 4 ? high.z : low.z);
        c -= centre;
        const float z = c * forward;
        distance = std::max({distance, std::fabs(c * right) / sx - z, std::fabs(c * up) / sy - z});
    }
    return distance;
}

// The nearest any corner of the box comes to an eye at that distance.
float NearestCorner(const SceneBounds& bounds, float distance) {
    return std::max(distance - bounds.Radius(), 0.0f);
}

void NoteSmallScene(const SceneBounds& bounds, float distance, ConversionNotes& notes) {
    if (NearestCorner(bounds, distance) < kNearPlane)
        notes.Add("the scene is small beside the player's near plane of 1 unit; --scale enlarges it");
}

}  // namespace

WriterCamera FramingCamera(const SceneBounds& bounds, int32_t frameCount, const std::string& name,
                           ConversionNotes& notes) {
    const aiVector3D toEye = TowardsEye(kCameraAzimuth);
    const float distance = FramingDistance(bounds, toEye);
    NoteSmallScene(bounds, distance, notes);
    WriterCamera camera;
    camera.name = name;
    camera.fov.assign(static_cast<size_t>(frameCount), kDefaultFov);
    camera.matrices.assign(static_cast<size_t>(frameCount),
                           LookTo(bounds.Centre() + toEye * distance, -toEye, aiVector3D(0, 1, 0)));
    return camera;
}

WriterCamera OrbitCamera(const SceneBounds& bounds, int32_t frameCount, const std::string& name,
                         ConversionNotes& notes) {
    // One distance for the whole circle: the farthest any side needs.
    constexpr int kSides = 720;
    float distance = 0.0f;
    for (int side = 0; side < kSides; ++side)
        distance = std::max(distance, FramingDistance(bounds, TowardsEye(kTwoPi * side / kSides)));
    NoteSmallScene(bounds, distance, notes);
    WriterCamera camera;
    camera.name = name;
    camera.fov.assign(static_cast<size_t>(frameCount), kDefaultFov);
    for (int32_t f = 0; f < frameCount; ++f) {
        const float azimuth = kCameraAzimuth + kTwoPi * static_cast<float>(f) / static_cast<float>(frameCount);
        const aiVector3D toEye = TowardsEye(azimuth);
        camera.matrices.push_back(LookTo(bounds.Centre() + toEye * distance, -toEye, aiVector3D(0, 1, 0)));
    }
    return camera;
}

}  // namespace velmora::tools
