// The reference the stand-in is measured against: the same scene drawn with
// the same shaders straight on OpenGL from static buffers, every state set
// by hand, into the same kind of framebuffer, shown the same way.
#pragma once

#include "scene/scene.h"

namespace velmora::tools {

// Frames per second over frames frames at width x height; 0 when OpenGL
// cannot be brought up.
double RunPlainGl(Scene& scene, int width, int height, int frames);

}  // namespace velmora::tools
