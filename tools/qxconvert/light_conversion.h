// Source lights as the player's: point and spot lights with a colour, an
// intensity, a range and the attenuation kind closest to the source's, per
// frame where the source moves or changes them.
#pragma once

#include <assimp/light.h>

#include <cstdint>
#include <optional>
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

// The player's attenuation kinds and the coefficient each uses.
enum AttenuationKind : int32_t { kConstant = 0, kLinear = 1, kQuadratic = 2 };
constexpr float kPlayerLinear = 0.5f;
constexpr float kPlayerQuadratic = 0.1f;
// The player's lights shine their colour as ambient light as well as
// diffuse, both attenuated: a face turned to a light gets it twice. Half the
// source's colour each keeps such faces as bright as the source has them.
constexpr float kLightShare = 0.5f;
// The most lights the player switches on at once.
constexpr size_t kMaxPlayerLights = 32;

// The kind whose term dominates the source's falloff 1 / (c + l d + q d^2).
AttenuationKind ClosestAttenuation(const aiLight& light);

struct ConvertedLights {
    std::vector<WriterLight> lights;
    // The sum of the source's ambient lights, when it has any.
    std::optional<aiColor3D> ambient;
};

ConvertedLights ConvertLights(const ImportedScene& scene, const NodeAnimator& animator, const FramePlan& frames,
                              const PlayerSpace& space, const SceneBounds& bounds, NameSet& names,
                              ConversionNotes& notes);

// Two lights for a source that has none, as modellers light such scenes: a
// key light above, left and in front of the scene and a weaker fill light
// below, right and behind it.
std::vector<WriterLight> DefaultLights(const SceneBounds& bounds, NameSet& names);

}  // namespace velmora::tools
