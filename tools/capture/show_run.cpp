#include "show_run.h"

#include "app/display_start.h"
#include "app/run_show.h"
#include "diag/log.h"
#include "platform/ddraw/display_objects.h"
#include "platform/setup/display_report.h"
#include "platform/setup/platform_settings.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

platform::PlatformSettings CaptureSettings(const CaptureOptions& options, const std::string& audioFolder,
                                           std::shared_ptr<platform::FrameWriter> frames) {
    // Always offscreen: nothing is shown. Of the player's switches only the
    // log, the overlay and the classic drawing apply.
    platform::PlatformSettings settings =
        platform::ReadOffscreenSettings({"VELMORA_LOG", "VELMORA_STATS", "VELMORA_GL_CLASSIC"});
    settings.sound = platform::SoundBackEnd::Silent;
    settings.virtualClock = true;
    settings.frameRate = options.rate;
    settings.captureDirectory = audioFolder;
    settings.frameWriter = std::move(frames);
    settings.filmCapture = true;
    settings.extraModeWidth = options.width;
    settings.extraModeHeight = options.height;
    return settings;
}

}  // namespace

ShowRunResult PlayShowForCapture(const CaptureOptions& options, const std::string& audioFolder,
                                 std::shared_ptr<platform::FrameWriter> frames) {
    ShowRunResult result;
    const platform::PlatformSettings settings = CaptureSettings(options, audioFolder, std::move(frames));
    platform::InstallPlatform(settings);
    if (settings.log) StartLog(1);
    if (settings.statistics) showStatistics = 1;
    // WinMain's steps up to the show, with the mode chosen as the dialog would choose it.
    result.played = StartDisplayAt(options.width, options.height, "Velmora Demo", result.why);
    if (result.played && !platform::DisplayDrawnByOpenGl()) {
        result.played = false;
        result.why = "OpenGL could not draw at " + std::to_string(options.width) + "x" +
                     std::to_string(options.height) + "; nothing would be captured";
    }
    if (result.played) {
        result.renderer = platform::DisplayRendererDescription();
        RunShow();
    }
    // The picture on screen stands through the pause after the show.
    platform::FinishFrameCapture();
    result.readBackSeconds = platform::FrameReadBackSeconds();
    platform::UninstallPlatform();
    return result;
}

}  // namespace velmora::tools
