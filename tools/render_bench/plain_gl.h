// The reference the stand-in is measured against: the same scene drawn with
// the same shaders straight on OpenGL from static buffers, every state set
// by hand, into the same kind of framebuffer, shown the same way.
#pragma once

#include "render_bench/thread_times.h"
#include "scene/scene.h"

namespace velmora::tools {

// The figures of frames frames at width x height; zeros when OpenGL cannot
// be brought up.
RunFigures RunPlainGl(Scene& scene, int width, int height, int frames);

}  // namespace velmora::tools
