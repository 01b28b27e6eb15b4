// The drawing back end on OpenGL 3.3 core. Every OpenGL call of the program
// is in this folder. The back buffer is an off-screen framebuffer of the
// display mode's size (colour and 32-bit float depth); Present scales it
// into the window with black bars.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/backend/gl_host.h"
#include "platform/backend/render_device.h"
#include "platform/backend/draw_counters.h"

namespace velmora::platform::gl {

// How the device keeps depth.
enum class DepthPath {
    // Reversed depth in the 32-bit float buffer under clip control, where
    // OpenGL 4.5 or ARB_clip_control offers it; the written path otherwise.
    Reversed,
    // Every fragment writes its depth (the eye distance under the w-buffer).
    Written,
};

struct GlDeviceOptions {
    DepthPath depth = DepthPath::Reversed;
    // Blending by source alpha left off where every fragment's alpha is 1.
    bool skipNeedlessBlending = true;
    // Draws without a texture not sampling the white texel.
    bool skipNeedlessSampling = true;
    // Vertex and index arrays drawn before kept while their bytes stay the same.
    bool keepGeometry = true;
};

// Makes the device on a current context; null with the reason in error.
std::unique_ptr<RenderDevice> CreateGlRenderDevice(std::unique_ptr<GlHost> host,
                                                   std::string& error,
                                                   const GlDeviceOptions& options = {});

// The depth path an OpenGL device took; nothing for a device of another kind.
std::optional<DepthPath> DepthPathOf(const RenderDevice& device);
// Its counters so far; nothing for a device of another kind.
std::optional<DrawCounters> DrawCountersOf(const RenderDevice& device);
// "RENDERER, OpenGL VERSION" of its context, as the driver names them, so
// that figures from a GPU and from a software rasteriser are told apart;
// empty for a device of another kind.
std::string RendererOf(const RenderDevice& device);

}  // namespace velmora::platform::gl
