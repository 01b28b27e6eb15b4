// A source scene converted to the player's scene description: objects,
// draw styles and their textures, cameras and lights, sampled at every frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "qxconvert/conversion_notes.h"
#include "qxconvert/frame_plan.h"
#include "qxconvert/imported_scene.h"
#include "qxconvert/texture_export.h"
#include "scene_writer/scene_writer.h"

namespace velmora::tools {

struct ConvertOptions {
    double framesPerSecond = 0.0;  // 0: the source's own rate, else 30
    std::optional<std::pair<int64_t, int64_t>> frames;  // first and last, inclusive
    std::optional<double> seconds;  // the scene's length, at the rate above, instead of frames
    bool orbit = false;             // add a camera circling the scene once over its frames
    float scale = 1.0f;
    size_t maxPartVertices = 65535;
};

// The scene's ambient colour when the source names none: dim, so that faces
// turned away from every light are not black.
constexpr uint32_t kDefaultAmbient = 0x202020;

struct ConvertedScene {
    SceneDescription description;
    FramePlan frames;
    std::vector<TextureFile> textures;
    // Objects with a material the source draws from both sides.
    std::vector<std::string> twoSidedObjects;
    bool framingCamera = false;  // the source had no camera (and no orbit was asked for)
    bool orbitCamera = false;    // a camera circling the scene was added
    bool defaultLights = false;  // nor any light
    ConversionNotes notes;
};

// False with a reason for a conversion the scene file cannot hold.
bool ConvertScene(const ImportedScene& scene, const ConvertOptions& options, ConvertedScene& converted,
                  std::string& why);

}  // namespace velmora::tools
