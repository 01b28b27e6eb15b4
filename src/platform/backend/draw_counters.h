// What the OpenGL device has sent since it was made, for the profiles that
// report draw calls, state changes and bytes streamed per frame.
#pragma once

#include <cstdint>

namespace velmora::platform {

struct DrawCounters {
    uint64_t draws = 0;
    // Each part of a draw's state sent to OpenGL because it changed: the
    // program, transform, material, lights, texture stage, viewport, raster
    // state, the texture bound and its sampler, the vertex attributes.
    uint64_t stateChanges = 0;
    // Vertex and index bytes copied into OpenGL's buffers for draws.
    uint64_t bytesStreamed = 0;
    // Vertex and index bytes drawn from what OpenGL held already.
    uint64_t bytesKept = 0;
};

}  // namespace velmora::platform
