#include "platform/backend/window_system.h"

#include "platform/null/null_window_system.h"

namespace velmora::platform {

namespace {
std::unique_ptr<WindowSystem>& Installed() {
    static std::unique_ptr<WindowSystem> system = std::make_unique<NullWindowSystem>();
    return system;
}
}  // namespace

WindowSystem& CurrentWindowSystem() { return *Installed(); }

void InstallWindowSystem(std::unique_ptr<WindowSystem> system) {
    if (!system) system = std::make_unique<NullWindowSystem>();
    Installed() = std::move(system);
}

}  // namespace velmora::platform
