// The reference the stand-in is measured against: the same scene drawn as a
// program written for OpenGL would draw it: the same shading, from static
// buffers, OpenGL's own depth test with nothing written per fragment,
// blending only for what is translucent, every state set by hand, into the
// same kind of framebuffer, shown the same way.
#pragma once

#include <string>

#include "render_bench/thread_times.h"
#include "scene/scene.h"

namespace velmora::tools {

// The figures of frames frames at width x height; zeros when OpenGL cannot
// be brought up. renderer, when given, gets the OpenGL renderer and version.
RunFigures RunPlainGl(Scene& scene, int width, int height, int frames, std::string* renderer = nullptr);

}  // namespace velmora::tools
