// Nodes with meshes as the player's objects: one part per draw style, split
// where a part would pass the 65,536 vertices its 16-bit indices reach.
#pragma once

#include <assimp/scene.h>

#include <cstdint>
#include <vector>

#include "qxconvert/conversion_notes.h"
#include "scene_writer/scene_writer.h"

namespace velmora::tools {

// The most vertices one part holds: indices are stored in 16 bits.
constexpr size_t kMaxPartVertices = 65535;

// The parts of a node's meshes in the player's space (z mirrored; the
// corners keep their order, since the source's fronts face the source's
// cameras wound counter-clockwise, as the player's do), by draw style in the
// order of first use; drawStyleOf maps the scene's materials to
// draw styles. Texture coordinates keep the import library's origin at the
// picture's bottom left, where the player's texture cache puts the bottom row.
std::vector<WriterPart> ConvertParts(const aiScene& scene, const aiNode& node, const std::vector<int32_t>& drawStyleOf,
                                     ConversionNotes& notes, size_t maxPartVertices = kMaxPartVertices);

}  // namespace velmora::tools
