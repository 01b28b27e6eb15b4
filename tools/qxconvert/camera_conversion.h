// Source cameras as the player's cameras: a view matrix and a field of view
// per frame.
#pragma once

#include <assimp/camera.h>

#include <vector>

#include "qxconvert/conversion_notes.h"
#include "qxconvert/export_names.h"
#include "qxconvert/frame_plan.h"
#include "qxconvert/imported_scene.h"
#include "qxconvert/node_animation.h"
#include "qxconvert/player_space.h"
#include "qxconvert/scene_bounds.h"
#include "scene_writer/scene_writer.h"

namespace velmora::tools {

// The player's projection at its 4:3 modes scales y by 1.3 times x, so its
// field of view is the horizontal one.
constexpr float kPlayerVerticalScale = 1.3f;
// The field of view of cameras that have none the player can show
// (orthographic ones) and of the framing camera.
constexpr float kDefaultFov = 0.7853982f;

// The camera's horizontal field of view in radians. glTF cameras keep their
// vertical one (the import library hands it multiplied by the aspect): kept
// as the source's width where the source names its aspect, else as its height
// on the player's screen.
float HorizontalFov(const aiCamera& camera, SourceFormat format);

std::vector<WriterCamera> ConvertCameras(const ImportedScene& scene, const NodeAnimator& animator,
                                         const FramePlan& frames, const PlayerSpace& space, NameSet& names,
                                         ConversionNotes& notes);

// A camera that sees the whole box from the front, a little from above and
// the left, the same in every frame.
WriterCamera FramingCamera(const SceneBounds& bounds, int32_t frameCount, const std::string& name,
                           ConversionNotes& notes);

}  // namespace velmora::tools
