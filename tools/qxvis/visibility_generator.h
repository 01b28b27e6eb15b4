// Works out which parts of a scene each camera can see in each frame, by
// drawing the scene offscreen with OpenGL: opaque parts into a buffer of part
// numbers, every other part tested with an occlusion query against the
// opaque depth.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "qxvis/visibility_bits.h"
#include "scene/scene.h"

namespace velmora::tools {

struct GeneratorOptions {
    int width = 640;
    int height = 480;
    // Parts that come within this many pixels of the visible image count as
    // seen: beyond the image's edges and beside the opaque parts in front.
    int margin = 1;
    // Positions drawn per frame between the frame and the next one (which the
    // renderer blends towards): 1 draws the frame alone, 2 the frame and the
    // next, 3 adds the half-way position, and so on.
    int steps = 2;
};

// Whether the renderer draws the part with depth writes and it hides what is
// behind it: a diffuse alpha of exactly 1.0 and a texture without alpha.
bool PartOccludes(const DrawStyle& style);

// Called after each camera and frame with the count done and the total.
using GeneratorProgress = std::function<void(int64_t done, int64_t total)>;

// Sets the bits of every part seen; false with a reason when OpenGL cannot be
// brought up or the scene has more parts than a 24-bit part number can tell
// apart.
bool GenerateVisibility(const Scene& scene, const GeneratorOptions& options, VisibilityBits& bits,
                        const GeneratorProgress& progress, std::string& why);

}  // namespace velmora::tools
