#include "platform/setup/display_report.h"

#include "platform/ddraw/display_objects.h"
#include "platform/gl/gl_render_device.h"

namespace velmora::platform {

std::string DisplayRendererDescription() {
    const RenderDevice* device = DisplayBackEnd();
    if (!device) return "";
    std::string description = gl::RendererOf(*device);
    if (const auto depth = gl::DepthPathOf(*device))
        description += *depth == gl::DepthPath::Reversed ? "; reversed depth" : "; depth written per fragment";
    return description;
}

DrawCounters DisplayDrawCounters() {
    const RenderDevice* device = DisplayBackEnd();
    return device ? gl::DrawCountersOf(*device).value_or(DrawCounters{}) : DrawCounters{};
}

}  // namespace velmora::platform
