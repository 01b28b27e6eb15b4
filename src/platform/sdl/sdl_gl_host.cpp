#include "platform/sdl/sdl_gl_host.h"

#include <SDL.h>

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
    return std::make_unique<SdlGlHost>(window, context);
}

}  // namespace velmora::platform
