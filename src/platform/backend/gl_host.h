// An OpenGL 3.3 core context made current on the window, as a window system
// hands it to the OpenGL back end, which knows nothing of the window library.
#pragma once

namespace velmora::platform {

class GlHost {
public:
    virtual ~GlHost() = default;
    virtual void MakeCurrent() = 0;
    virtual void SwapBuffers() = 0;
    // The size in pixels of what SwapBuffers shows.
    virtual void DrawableSize(int& width, int& height) = 0;
};

}  // namespace velmora::platform
