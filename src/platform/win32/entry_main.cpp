// The process entry: what the Windows start-up code does before WinMain.
// It sets the clock from the environment, installs the SDL window system,
// joins the arguments into the one command-line text and calls WinMain.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/backend/window_system.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/win32/clock_control.h"
#include "platform/win32/windows.h"

int main(int argc, char** argv) {
    std::string error;
    if (!velmora::platform::ConfigureClockFromEnvironment(error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 2;
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    velmora::platform::InstallWindowSystem(std::make_unique<velmora::platform::SdlWindowSystem>());
    static char instanceMarker;
    WinMain(reinterpret_cast<HINSTANCE>(&instanceMarker), nullptr, commandLine.data(), SW_SHOWNORMAL);
    // WinMain returns 1 on every path; a run that reached its end succeeded.
    // The display is never released by the program; it goes before its window.
    velmora::platform::ReleaseDisplayObjects();
    velmora::platform::InstallWindowSystem(nullptr);
    return 0;
}
