// The drawing back end on OpenGL 3.3 core. Every OpenGL call of the program
// is in this folder. The back buffer is an off-screen framebuffer of the
// display mode's size (colour and 32-bit float depth); Present scales it
// into the window with black bars.
#pragma once

#include <memory>
#include <string>

#include "platform/backend/gl_host.h"
#include "platform/backend/render_device.h"

namespace velmora::platform::gl {

// Makes the device on a current context; null with the reason in error.
std::unique_ptr<RenderDevice> CreateGlRenderDevice(std::unique_ptr<GlHost> host,
                                                   std::string& error);

}  // namespace velmora::platform::gl
