#include "platform/backend/render_device.h"

#include <cstdio>

#include "platform/backend/window_system.h"
#include "platform/gl/gl_render_device.h"

namespace velmora::platform {

std::unique_ptr<RenderDevice> OpenRenderDevice() {
    std::string why;
    std::unique_ptr<GlHost> host = CurrentWindowSystem().CreateGlHost(why);
    if (!host) {
        // A window system without OpenGL by design (the tests' null one) stays quiet.
        if (!why.empty()) std::fprintf(stderr, "velmora: %s; nothing will be drawn\n", why.c_str());
        return CreateNullRenderDevice();
    }
    std::unique_ptr<RenderDevice> device = gl::CreateGlRenderDevice(std::move(host), why);
    if (!device) {
        std::fprintf(stderr, "velmora: %s; nothing will be drawn\n", why.c_str());
        return CreateNullRenderDevice();
    }
    return device;
}

}  // namespace velmora::platform
