#include "platform/sdl/sdl_gl_host.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace velmora::platform {

namespace {

class SdlGlHost : public GlHost {
public:
    SdlGlHost(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}
    ~SdlGlHost() override { SDL_GL_DeleteContext(context_); }
    void MakeCurrent() override {
        if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
    }
    void SwapBuffers() override { SDL_GL_SwapWindow(window_); }
    void DrawableSize(int& width, int& height) override {
        SDL_GL_GetDrawableSize(window_, &width, &height);
    }

private:
    SDL_Window* window_;
    SDL_GLContext context_;
};

// Keeps the OpenGL driver (Mesa's *_dri.so) mapped until the process ends,
// even after SDL lets go of its libraries: the program holds its display to
// the end anyway, and this way a leak report at exit can still name the
// driver's own allocations.
void PinGlDriver() {
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && std::strstr(name, "_dri.so")) dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

}  // namespace

void RequestGlContextAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Depth lives in the back end's own framebuffer, not in the window's.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

std::unique_ptr<GlHost> CreateSdlGlHost(SDL_Window* window, bool vsync, std::string& why) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        why = std::string("no OpenGL 3.3 context (") + SDL_GetError() + ")";
        return nullptr;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);
    PinGlDriver();
    return std::make_unique<SdlGlHost>(window, context);
}

}  // namespace velmora::platform
