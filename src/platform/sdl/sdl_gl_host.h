// The OpenGL context on an SDL window.
#pragma once

#include <memory>
#include <string>

#include "platform/backend/gl_host.h"

struct SDL_Window;

namespace velmora::platform {

// Asks for an OpenGL 3.3 core, double-buffered context; called before the
// window is created, since the window's pixel format depends on it.
void RequestGlContextAttributes();

// Creates the context, makes it current and sets the swap interval (1 with
// vsync). Null with SDL's reason in why.
std::unique_ptr<GlHost> CreateSdlGlHost(SDL_Window* window, bool vsync, std::string& why);

}  // namespace velmora::platform
