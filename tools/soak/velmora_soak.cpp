// velmora_soak MINUTES [--fps N] [--draw opengl|null] [--mp3 FILE]
//
// Plays the soak show MINUTES times over in this process, headless on the
// virtual clock: each run is the player's whole run sequence (the archive
// directory read, the play script read with every scene, texture and track
// loaded, a minute of show with every kind of timeline action, everything
// freed), so that each show minute loads the show again. After every minute
// it prints the process's resident memory and heap in use, the textures the
// cache still holds and the engine's memory counters; at the end, how much
// each changed after the first minute. The show is written into a temporary
// folder, removed at the end. VELMORA_LOG and VELMORA_STATS work as for the
// player (the log beside this program); no other switch is read.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "app/display_start.h"
#include "app/run_show.h"
#include "common/numbers.h"
#include "diag/log.h"
#include "memory_sample.h"
#include "music/music_player.h"
#include "platform/ddraw/display_objects.h"
#include "platform/fmod/sound_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "show/timeline.h"
#include "soak_show.h"
#include "state/engine_state.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr int kLargestMinutes = 100000;
constexpr int64_t kFlatBytes = 1 << 20;

int Refuse(const std::string& why) {
    std::fprintf(stderr, "velmora_soak: %s\n", why.c_str());
    return 2;
}

struct Options {
    int minutes = 0;
    platform::FrameRate rate{30, 1};
    std::string rateText = "30";
    bool drawNull = false;
    std::string mp3;
};

bool ReadOptions(int argc, char** argv, Options& options, std::string& why) {
    if (argc < 2 || !tools::ReadNumber(argv[1], 1, kLargestMinutes, options.minutes)) {
        why = "usage: velmora_soak MINUTES [--fps N] [--draw opengl|null] [--mp3 FILE] "
              "(MINUTES 1 to " + std::to_string(kLargestMinutes) + ")";
        return false;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--fps" && hasValue) {
            if (!platform::ParseFrameRate(argv[++i], options.rate)) {
                why = "--fps takes a positive decimal such as 30 or 59.94, not '" + std::string(argv[i]) + "'";
                return false;
            }
            options.rateText = argv[i];
        } else if (option == "--draw" && hasValue) {
            const std::string draw = argv[++i];
            if (draw != "opengl" && draw != "null") {
                why = "--draw takes opengl or null, not '" + draw + "'";
                return false;
            }
            options.drawNull = draw == "null";
        } else if (option == "--mp3" && hasValue) {
            options.mp3 = argv[++i];
        } else {
            why = "unknown or incomplete option '" + option + "'";
            return false;
        }
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        why = "cannot read " + path;
        return false;
    }
    if (bytes.empty()) {
        why = path + " is empty or cannot be read";
        return false;
    }
    return true;
}

// Offscreen through SDL's offscreen driver by name, as the capture tool runs
// (or with nothing drawn at all), silent, on the virtual clock.
platform::PlatformSettings SoakSettings(const Options& options) {
    // Of the player's switches only the log and the overlay apply.
    platform::PlatformSettings settings = platform::ReadOffscreenSettings({"VELMORA_LOG", "VELMORA_STATS"});
    settings.windowSystem = options.drawNull ? platform::WindowBackEnd::Null : platform::WindowBackEnd::Sdl;
    settings.renderDevice = options.drawNull ? platform::RenderBackEnd::Null : platform::RenderBackEnd::OpenGl;
    settings.sound = platform::SoundBackEnd::Silent;
    settings.virtualClock = true;
    settings.frameRate = options.rate;
    return settings;
}

// What the end of the process would release after a run, so that the next
// run starts as the first did: the timeline's nodes (kept through a show),
// the music tracks with the sound library's songs and streams, and the exit
// request.
void EndRun(const platform::PlatformSettings& settings) {
    ClearActionList(&actionList);
    ClearActionList(&renderList);
    actionCursor = nullptr;
    for (int i = 0; i < musicTrackCount && musicTracks; ++i) std::free(musicTracks[i].fileName);
    std::free(musicTracks);
    musicTracks = nullptr;
    musicTrackCount = 0;
    platform::StopSoundOutput();
    platform::StartSoundOutput(settings.captureDirectory);
    exitRequested = 0;
}

void PrintHeader() {
    std::printf("%6s %10s %10s %9s %10s %10s %10s %10s %9s %11s %8s\n", "minute", "rss_kB", "heap_kB",
                "textures", "texture_B", "animatie_B", "general_B", "file_B", "total_B", "live_tex_B",
                "decoded");
}

void PrintSample(int minute, const tools::MemorySample& s) {
    const int64_t total = static_cast<int64_t>(s.texture) + s.animation + s.general + s.file;
    std::printf("%6d %10lld %10lld %9d %10d %10d %10d %10d %9lld %11lld %8d\n", minute,
                static_cast<long long>(s.residentKb), static_cast<long long>(s.heapInUse / 1024),
                s.liveTextures, s.texture, s.animation, s.general, s.file, static_cast<long long>(total),
                static_cast<long long>(s.liveTextureBytes), s.textureCount);
    std::fflush(stdout);
}

// The change of one figure from minute 1 and from minute 2 to the last, and
// whether each stays within 1 MB.
void PrintChange(const char* what, int64_t first, int64_t second, int64_t last, bool judged) {
    auto judge = [judged](int64_t change) {
        if (!judged) return "";
        return change <= kFlatBytes && change >= -kFlatBytes ? " flat" : " GROWS";
    };
    std::printf("%-22s %+12lld%-6s %+12lld%-6s\n", what, static_cast<long long>(last - first),
                judge(last - first), static_cast<long long>(last - second), judge(last - second));
}

void PrintSummary(const tools::MemorySample& first, const tools::MemorySample& second,
                  const tools::MemorySample& last, int minutes) {
    std::printf("\nbytes gained up to minute %d (flat: within 1 MB)\n", minutes);
    std::printf("%-22s %18s %18s\n", "", "since minute 1", "since minute 2");
    PrintChange("resident memory", first.residentKb * 1024, second.residentKb * 1024, last.residentKb * 1024, true);
    PrintChange("heap in use", first.heapInUse, second.heapInUse, last.heapInUse, true);
    PrintChange("textures left, pixels", first.liveTextureBytes, second.liveTextureBytes, last.liveTextureBytes,
                true);
    PrintChange("file counter (live)", first.file, second.file, last.file, true);
    // The other counters are totals of everything ever allocated: every run
    // loads the show anew, so they grow by one show's worth a minute by design.
    PrintChange("texture counter", first.texture, second.texture, last.texture, false);
    PrintChange("animatie counter", first.animation, second.animation, last.animation, false);
    PrintChange("general counter", first.general, second.general, last.general, false);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string why;
    if (!ReadOptions(argc, argv, options, why)) return Refuse(why);
    std::vector<uint8_t> mp3;
    if (!options.mp3.empty() && !ReadWholeFile(options.mp3, mp3, why)) return Refuse(why);

    char pattern[] = "/tmp/velmora-soak-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return Refuse("cannot make a temporary folder in /tmp");
    const std::string folder = made;
    std::error_code failed;
    if (!tools::WriteSoakShow(folder, mp3, why) || chdir(folder.c_str()) != 0) {
        fs::remove_all(folder, failed);
        return Refuse(why.empty() ? "cannot enter " + folder : why);
    }

    const platform::PlatformSettings settings = SoakSettings(options);
    platform::InstallPlatform(settings);
    if (settings.log) StartLog(1);
    showStatistics = settings.statistics ? 1 : 0;

    int status = 0;
    // The player's start-up without the settings file and the dialog.
    if (!StartDisplayAt(640, 480, "Velmora Demo", why)) {
        std::fprintf(stderr, "velmora_soak: %s\n", why.c_str());
        status = 1;
    } else {
        const char* drawn = platform::DisplayBackEndName();
        std::printf("soak: %d show minutes at %s frames a second, drawn by %s%s\n", options.minutes,
                    options.rateText.c_str(), drawn ? drawn : "nothing", mp3.empty() ? "" : ", with an MP3 stream");
        PrintHeader();
        tools::MemorySample first, second, last;
        for (int minute = 1; minute <= options.minutes; ++minute) {
            RunShow();
            EndRun(settings);
            last = tools::SampleMemory();
            if (minute == 1) first = last;
            if (minute <= 2) second = last;
            PrintSample(minute, last);
        }
        PrintSummary(first, second, last, options.minutes);
    }
    platform::UninstallPlatform();
    if (chdir("/") != 0) status = 1;
    fs::remove_all(folder, failed);
    return status;
}
