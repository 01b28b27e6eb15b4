// The process entry: what the Windows start-up code does before WinMain.
// It answers --help and --version, reads the platform settings and puts their
// back ends in place, moves into the show's folder when one is named, turns on
// the log and the statistics overlay where the settings ask for them, joins
// the other arguments into the one command-line text and calls WinMain.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "diag/log.h"
#include "platform/setup/platform_settings.h"
#include "platform/win32/windows.h"
#include "state/engine_state.h"

int main(int argc, char** argv) {
    PlayerArguments arguments;
    std::string error;
    if (!ReadPlayerArguments(std::vector<std::string>(argv + 1, argv + argc), arguments, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 2;
    }
    if (arguments.request == PlayerArguments::Request::Help) {
        std::fputs(kPlayerHelp, stdout);
        return 0;
    }
    if (arguments.request == PlayerArguments::Request::Version) {
        std::printf("velmora %s\n", VELMORA_VERSION);
        return 0;
    }
    velmora::platform::PlatformSettings settings;
    // A bad switch stops the program before any window is made or file written.
    if (!velmora::platform::ReadPlatformSettings(settings, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 2;
    }
    if (!arguments.showFolder.empty()) {
        // A capture folder named from where the program was started stays there.
        std::error_code ignored;
        if (!settings.captureDirectory.empty())
            settings.captureDirectory = std::filesystem::absolute(settings.captureDirectory, ignored).string();
        if (!SetCurrentDirectoryA(arguments.showFolder.c_str())) {
            std::fprintf(stderr, "velmora: cannot open the folder %s\n", arguments.showFolder.c_str());
            return 2;
        }
        NameShowFolder(arguments.showFolder);
    }
    velmora::platform::InstallPlatform(settings);
    if (settings.log) StartLog(1);
    if (settings.statistics) showStatistics = 1;
    static char instanceMarker;
    WinMain(reinterpret_cast<HINSTANCE>(&instanceMarker), nullptr, arguments.words.data(), SW_SHOWNORMAL);
    // WinMain returns 1 on every path; a run that reached its end succeeded.
    // The display is never released by the program; the platform's teardown
    // releases it before its window.
    velmora::platform::UninstallPlatform();
    return 0;
}
