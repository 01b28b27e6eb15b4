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

// The widest of the display modes the player lists (the display stand-in's
// fixed list: 1280x720 and 1920x1080 are 16:9, the rest 4:3 or 5:4): the
// cameras qxconvert makes frame the scene for it. The player's projection
// takes the integer quotient of the mode's width and height as its aspect, so
// the picture's edges depend on that quotient, 1 up to 16:9.
constexpr int kWidestModeWidth = 1920;
constexpr int kWidestModeHeight = 1080;
// The share of the picture's half-width and half-height a generated camera
// lets the scene fill: a margin of 7.5% of the picture on every side.
constexpr float kFramingFill = 0.85f;

// Where a camera of that field of view sees the picture's edges at the mode
// width x height, as |x / z| and |y / z| in the camera's space.
struct ViewSlopes {
    float horizontal;
    float vertical;
};
ViewSlopes PlayerViewSlopes(float fov, int width, int height);

// A camera that sees the whole box from the front, a little from above and
// the left, the same in every frame, framed for the widest mode with a margin.
WriterCamera FramingCamera(const SceneBounds& bounds, int32_t frameCount, const std::string& name,
                           ConversionNotes& notes);

// A camera that circles the box once over the scene's frames, from a little
// above, looking at its centre, at one distance that frames the whole box
// from every side for the widest mode with a margin. Its last frame leads
// into its first, as the player blends the last frame towards the first.
WriterCamera OrbitCamera(const SceneBounds& bounds, int32_t frameCount, const std::string& name,
                         ConversionNotes& notes);

}  // namespace velmora::tools
