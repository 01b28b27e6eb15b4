// velmora-preview [SHOWDIR] [--at T] [--loop A-B] [--size WxH] [--fps N]
//
// Plays the show in SHOWDIR (the current folder when none is named) in a
// window, never full-screen, without the dialog and without the settings
// file, on the virtual clock paced to real time; with keys to pause, seek,
// step and loop, a timeline bar that a click or drag seeks on, and a reload
// whenever the show's files are saved. The log, when VELMORA_LOG=1, is kept beside this program.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/display_start.h"
#include "common/output_path.h"
#include "common/standard_options.h"
#include "diag/log.h"
#include "platform/fmod/sound_system.h"
#include "platform/image/png_writer.h"
#include "platform/setup/platform_settings.h"
#include "preview_options.h"
#include "previewer.h"
#include "show/show_files.h"
#include "show_watch.h"
#include "state/engine_state.h"

using namespace velmora::tools;
namespace fs = std::filesystem;

namespace {

int Refuse(const std::string& why) {
    std::fprintf(stderr, "velmora-preview: %s\n", why.c_str());
    return 2;
}

// Keeps the last frame presented, for --picture.
class LastFrame : public velmora::platform::FrameWriter {
public:
    bool WriteFrame(const uint32_t* pixels, int width, int height) override {
        pixels_.assign(pixels, pixels + static_cast<size_t>(width) * height);
        width_ = width;
        height_ = height;
        return true;
    }
    bool Write(const std::string& path) const {
        return width_ > 0 && velmora::platform::WritePng(path, pixels_.data(), width_, height_);
    }

private:
    std::vector<uint32_t> pixels_;
    int width_ = 0, height_ = 0;
};

velmora::platform::PlatformSettings PreviewSettings(const PreviewOptions& options) {
    // Of the player's switches only the log, the overlay and the classic
    // drawing apply; the window opens on the display there is.
    velmora::platform::PlatformSettings settings =
        velmora::platform::ReadNamedSettings({"VELMORA_LOG", "VELMORA_STATS", "VELMORA_GL_CLASSIC"});
    settings.windowed = true;
    settings.virtualClock = true;
    settings.frameRate = options.rate;
    settings.extraModeWidth = options.width;
    settings.extraModeHeight = options.height;
    return settings;
}

constexpr const char* kHelp =
    "usage: velmora-preview [SHOWDIR] [--at SECONDS] [--loop A-B] [--size WxH] [--fps N] [--seek-times] "
    "[--picture FILE.png]\n"
    "Plays the show in SHOWDIR (default the current folder) in a window, to seek, pause, step and loop while\n"
    "working on it; reloads it when its files are saved.\n"
    "  --at SECONDS       starts at that show time\n"
    "  --loop A-B         loops the show between A and B seconds\n"
    "  --size WxH         the picture's size, each side 1 to 8192 (default 800x600)\n"
    "  --fps N            the virtual clock's frame rate, 1 to 240 (default 60)\n"
    "  --seek-times       seeks to every whole second, reloads once, prints the times and ends\n"
    "  --picture FILE.png writes the picture at --at, bar included, and ends\n"
    "  --help             prints this help and exits\n"
    "  --version          prints the version and exits\n"
    "Keys: Space pause, Left/Right 1 s (Shift 10 s), Page Up/Down the previous/next action, Home the start,\n"
    "comma/period a frame back/forward while paused, I/O/L the loop, R reload, F statistics, Escape quit.\n"
    "Mouse: a click on the bar goes to the time under the pointer; drag along it to scrub.\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "velmora-preview", kHelp, true))
        return *answered;
    PreviewOptions options;
    std::string why;
    if (!ParsePreviewOptions(argc, const_cast<const char* const*>(argv), options, why)) return Refuse(why);
    std::error_code failed;
    if (!fs::is_directory(options.showDirectory, failed)) return Refuse(options.showDirectory + " is not a folder");
    const std::string folder = fs::absolute(options.showDirectory, failed).lexically_normal().string();
    if (!fs::exists(fs::path(folder) / kShowArchiveName, failed) &&
        !fs::exists(fs::path(folder) / kShowScriptName, failed))
        return Refuse("no show in " + folder + ": neither " + kShowArchiveName + " nor " + kShowScriptName +
                      " is there");
    ShowWatch watch;
    if (!watch.Open(folder, why)) return Refuse(why);

    velmora::platform::PlatformSettings settings = PreviewSettings(options);
    auto lastFrame = std::make_shared<LastFrame>();
    if (!options.picture.empty()) {
        if (!CheckOutputFile(options.picture, why)) return Refuse(why);
        options.picture = fs::absolute(options.picture, failed).string();
        settings.frameWriter = lastFrame;
    }
    velmora::platform::InstallPlatform(settings);
    if (settings.log) StartLog(1);
    if (settings.statistics) showStatistics = 1;
    if (!StartDisplayAt(options.width, options.height, "Velmora Preview", why)) {
        velmora::platform::UninstallPlatform();
        std::fprintf(stderr, "velmora-preview: %s\n", why.c_str());
        return 1;
    }
    // The music is heard where a sound device opens; the measuring and the
    // picture modes play unheard.
    if (!options.seekTimes && options.picture.empty() && !velmora::platform::HearClockedMix(why))
        std::fprintf(stderr, "velmora-preview: no sound device (%s); the show plays silent\n", why.c_str());
    int status = 0;
    {
        Previewer preview(folder, options);
        if (!preview.Open(why)) {
            std::fprintf(stderr, "velmora-preview: %s\n", why.c_str());
            status = 1;
        } else {
            std::printf("velmora-preview: %s, %.2f s of show; first seek %.3f s\n", folder.c_str(),
                        static_cast<double>(preview.outline().length) * options.rate.denominator /
                            static_cast<double>(options.rate.numerator),
                        preview.lastSeekSeconds());
            if (!options.picture.empty()) {
                if (!lastFrame->Write(options.picture)) {
                    std::fprintf(stderr, "velmora-preview: cannot write %s\n", options.picture.c_str());
                    status = 1;
                }
                preview.Perform(PreviewCommand::Quit);
            }
            if (options.seekTimes) {
                const double rate = static_cast<double>(options.rate.numerator) / options.rate.denominator;
                double longest = 0.0, sum = 0.0;
                int seeks = 0;
                // Every whole second, as a frame of the clock's rate (59.94 as well as 60).
                for (uint64_t second = 0;; ++second) {
                    const uint64_t frame = second * options.rate.numerator / options.rate.denominator;
                    if (frame >= preview.outline().length) break;
                    preview.SeekTo(frame);
                    std::printf("seek to %6.2f s: %.3f s\n", static_cast<double>(frame) / rate,
                                preview.lastSeekSeconds());
                    longest = std::max(longest, preview.lastSeekSeconds());
                    sum += preview.lastSeekSeconds();
                    ++seeks;
                }
                std::printf("%d seeks, longest %.3f s, mean %.3f s\n", seeks, longest, seeks ? sum / seeks : 0.0);
                preview.Reload();
                std::printf("reload at %.2f s: %.3f s\n", static_cast<double>(preview.bar().frame) / rate,
                            preview.lastReloadSeconds());
                preview.Perform(PreviewCommand::Quit);
            }
            while (preview.Turn()) {
                if (watch.Settled()) {
                    preview.Reload();
                    std::printf("velmora-preview: reloaded in %.3f s\n", preview.lastReloadSeconds());
                }
            }
        }
        preview.session().Stop();
    }
    velmora::platform::UninstallPlatform();
    return status;
}
