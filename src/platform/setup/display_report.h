// What a program may report of the display it opened, from the drawing back
// end behind it: the chooser is the one place that knows each back end.
#pragma once

#include <string>

#include "platform/backend/draw_counters.h"

namespace velmora::platform {

// "RENDERER, OpenGL VERSION; reversed depth" (or "; depth written per
// fragment") for a display OpenGL draws; empty for the null back end or
// before a display is open.
std::string DisplayRendererDescription();

// What the display's OpenGL device has sent since it was made; all 0 for
// another back end or no display.
DrawCounters DisplayDrawCounters();

}  // namespace velmora::platform
