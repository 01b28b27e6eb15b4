// Source materials as the player's draw styles.
#pragma once

#include <assimp/material.h>

#include "qxconvert/imported_scene.h"
#include "qxconvert/texture_export.h"
#include "scene_writer/scene_writer.h"

namespace velmora::tools {

struct ConvertedMaterial {
    WriterDrawStyle style;
    bool twoSided = false;  // the source draws both sides of its faces
};

// Diffuse (base) colour, opacity as transparency and the diffuse (base
// colour) texture, exported. glTF multiplies its texture by the base colour
// as the player does; the other formats' textures replace the colour, so a
// textured draw style is white there. glTF's opaque materials ignore their
// texture's alpha, which the texture then loses.
ConvertedMaterial ConvertMaterial(const aiMaterial& material, SourceFormat format, TextureExport& textures);

}  // namespace velmora::tools
