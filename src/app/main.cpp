// The process entry: what the Windows start-up code does before WinMain.
// It reads the platform settings and puts their back ends in place, turns on
// the log and the statistics overlay where the settings ask for them, joins
// the arguments into the one command-line text and calls WinMain.
#include <cstdio>
#include <string>

#include "diag/log.h"
#include "platform/setup/platform_settings.h"
#include "platform/win32/windows.h"
#include "state/engine_state.h"

int main(int argc, char** argv) {
    velmora::platform::PlatformSettings settings;
    std::string error;
    // A bad switch stops the program before any window is made or file written.
    if (!velmora::platform::ReadPlatformSettings(settings, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 2;
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    velmora::platform::InstallPlatform(settings);
    if (settings.log) StartLog(1);
    if (settings.statistics) showStatistics = 1;
    static char instanceMarker;
    WinMain(reinterpret_cast<HINSTANCE>(&instanceMarker), nullptr, commandLine.data(), SW_SHOWNORMAL);
    // WinMain returns 1 on every path; a run that reached its end succeeded.
    // The display is never released by the program; the platform's teardown
    // releases it before its window.
    velmora::platform::UninstallPlatform();
    return 0;
}
