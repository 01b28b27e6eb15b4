// velmora-capture SHOWDIR OUTPUT [--fps N] [--size WxH] [--crf N] [--max-hours H] [--frames-only] [--timings]
//
// Plays the show in SHOWDIR in this process, headless on the virtual clock,
// and films it: every frame at a constant rate (a picture held through a
// hold repeated for all of it) as raw pixels down a pipe to ffmpeg, which
// encodes H.264 into a temporary video file; then the mix (audio.wav) and
// that video are put together in one MP4 with AAC sound and the index at the
// front. With --frames-only the frames are PNG files beside audio.wav in the
// folder OUTPUT. Everything is made in a temporary folder beside OUTPUT and
// renamed into place at the end, so that OUTPUT is never half-written.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "common/output_path.h"
#include "common/standard_options.h"
#include "common/staging_folder.h"
#include "capture_options.h"
#include "ffmpeg_commands.h"
#include "ffmpeg_process.h"
#include "film_sink.h"
#include "interrupt.h"
#include "progress_bar.h"
#include "raw_frame_pipe.h"
#include "show_folder.h"
#include "show_run.h"

using namespace velmora::tools;
namespace fs = std::filesystem;

namespace {

// Bad arguments and files: one line, status 2.
int Refuse(const std::string& why) {
    std::fprintf(stderr, "velmora-capture: %s\n", why.c_str());
    return 2;
}

// A capture that could not be finished: one line, status 1.
int Fail(const std::string& why) {
    std::fprintf(stderr, "velmora-capture: %s\n", why.c_str());
    return 1;
}

int Interrupted(const std::string& output) {
    std::fprintf(stderr, "velmora-capture: interrupted; %s was not written\n", output.c_str());
    return 128 + InterruptSignal();
}

std::string Decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Milliseconds as hours, minutes and seconds: "12:04:05".
std::string Hours(int64_t milliseconds) {
    const int64_t seconds = milliseconds / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The output's absolute path, without a trailing separator.
fs::path OutputPath(const std::string& output) {
    fs::path path = fs::absolute(output).lexically_normal();
    if (!path.has_filename()) path = path.parent_path();
    return path;
}

// OUTPUT can be made: its folder exists, and it is a new or regular file
// (video) or a new or empty folder (frames). A device, a FIFO or a socket
// there would be replaced by the rename at the end.
bool CheckOutput(const fs::path& output, bool framesOnly, std::string& why) {
    std::error_code failed;
    if (!fs::is_directory(output.parent_path(), failed)) {
        why = "cannot write " + output.string() + ": there is no folder " + output.parent_path().string();
        return false;
    }
    const fs::file_status status = fs::status(output, failed);
    if (framesOnly) {
        if (!velmora::tools::CheckOutputFolder(output.string(), why)) return false;
        if (fs::exists(status) && !fs::is_empty(output, failed)) {
            why = output.string() + " already exists; --frames-only writes a new (or empty) folder";
            return false;
        }
    } else if (fs::is_directory(status)) {
        why = output.string() + " is a folder; name the video file to write";
        return false;
    }
    return framesOnly || velmora::tools::CheckOutputFile(output.string(), why);
}

void PrintTimings(const CaptureOptions& options, uint64_t frames, double total, double run, double readBack,
                  double storing, double finishing) {
    const double showSeconds =
        static_cast<double>(frames) * options.rate.denominator / static_cast<double>(options.rate.numerator);
    const double rendering = run - readBack - storing;
    const double encoding = storing + finishing;
    auto share = [&](double part) { return total > 0.0 ? 100.0 * part / total : 0.0; };
    std::printf("%.2f s of show (%llu frames of %dx%d at %s fps) in %.2f s: %.2f show seconds per second\n",
                showSeconds, static_cast<unsigned long long>(frames), options.width, options.height,
                RateForFfmpeg(options.rate).c_str(), total, total > 0.0 ? showSeconds / total : 0.0);
    std::printf("rendering %.2f s (%.0f%%), reading back %.2f s (%.0f%%), %s %.2f s (%.0f%%)\n", rendering,
                share(rendering), readBack, share(readBack),
                options.framesOnly ? "writing PNG files" : "encoding", encoding, share(encoding));
}

constexpr const char* kHelp =
    "usage: velmora-capture SHOWDIR OUTPUT [--fps N] [--size WxH] [--crf N] [--max-hours H] [--frames-only] [--timings]\n"
    "Plays the show in SHOWDIR headless and films it into OUTPUT, an MP4 made with ffmpeg.\n"
    "  --fps N          the film's frame rate, 1 to 1000 (default 60)\n"
    "  --size WxH       the picture's size, each side 1 to 8192 (default 1280x720)\n"
    "  --crf N          the H.264 quality, 0 (lossless) to 51 (default 18)\n"
    "  --max-hours H    the longest show filmed, in hours (default 6)\n"
    "  --frames-only    writes PNG frames and audio.wav into the folder OUTPUT instead\n"
    "  --timings        prints where the time went at the end\n"
    "  --help           prints this help and exits\n"
    "  --version        prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "velmora-capture", kHelp, true))
        return *answered;
    CaptureOptions options;
    std::string why;
    if (!ParseCaptureOptions(argc, argv, options, why)) return Refuse(why);

    std::error_code failed;
    if (!fs::is_directory(options.showDirectory, failed))
        return Refuse(options.showDirectory + " is not a folder");
    const fs::path output = OutputPath(options.output);
    if (!CheckOutput(output, options.framesOnly, why)) return Refuse(why);
    std::string ffmpeg;
    if (!options.framesOnly) {
        ffmpeg = FindOnPath("ffmpeg");
        if (ffmpeg.empty())
            return Refuse("ffmpeg is not on PATH (Debian: apt-get install ffmpeg); --frames-only needs none");
        ffmpeg = fs::absolute(ffmpeg).string();
    }
    // The player reads its show from the current folder.
    if (chdir(options.showDirectory.c_str()) != 0)
        return Refuse("cannot enter " + options.showDirectory + ": " + std::strerror(errno));
    if (!HoldsShow(options.showDirectory, why)) return Refuse(why);

    // The work in progress lies beside the output, so that the finished file or
    // folder is renamed into place.
    StagingFolder work;
    if (!work.Make(output.parent_path().string(), "." + output.filename().string() + ".capture"))
        return Refuse("cannot write in " + output.parent_path().string() + ": " + std::strerror(errno));
    InstallInterruptHandlers();

    const auto start = std::chrono::steady_clock::now();
    ProgressBar progress(options.rate);
    FfmpegProcess encoder;
    std::shared_ptr<RawFramePipe> pipe;
    std::shared_ptr<velmora::platform::FrameWriter> store;
    const std::string video = work.path() + "/video.mp4";
    if (options.framesOnly) {
        store = velmora::platform::OpenPngFrameWriter(work.path());
    } else {
        if (!encoder.Start(ffmpeg, EncodeArguments(options, video), work.path() + "/encode.log", true, why))
            return Fail(why);
        SetProcessToStop(encoder.process());
        pipe = std::make_shared<RawFramePipe>(encoder.input(), options.width, options.height);
        store = pipe;
    }
    const auto longestShow = static_cast<int64_t>(options.maxHours * 3600000.0);
    auto film = std::make_shared<FilmSink>(store, progress, options.rate, longestShow);
    if (options.timings) film->TimeScenes(options.rate);
    const ShowRunResult run = PlayShowForCapture(options, work.path(), film);
    const double runSeconds = Since(start);
    progress.Finish();
    if (InterruptSignal()) return Interrupted(output.string());
    if (!run.played) return Fail(run.why);
    if (film->timelineTooLong())
        return Refuse("the show's timeline runs " + Hours(film->timelineTooLong()) + ", longer than --max-hours " +
                      Decimal(options.maxHours) + "; " + output.string() + " was not written");
    if (film->ranTooLong())
        return Refuse("the show was still running after --max-hours " + Decimal(options.maxHours) +
                      " (a scene looped and never stopped?); " + output.string() + " was not written");
    if (film->failed()) {
        if (options.framesOnly) return Fail("cannot write the frames in " + work.path());
        std::string said;
        encoder.Wait(said);
        return Fail(pipe->failure() + (said.empty() ? "" : " (" + said + ")"));
    }
    const std::string audio = work.path() + "/audio.wav";
    if (!fs::exists(audio, failed)) return Fail("the sound could not be captured into " + audio);

    const auto finishing = std::chrono::steady_clock::now();
    if (options.framesOnly) {
        // The folder is the output.
        if (InterruptSignal()) return Interrupted(output.string());
        if (!work.PublishWhole(output.string()))
            return Fail("cannot put the frames in place as " + output.string() + ": " + std::strerror(errno));
    } else {
        if (!encoder.Wait(why)) return InterruptSignal() ? Interrupted(output.string()) : Fail(why);
        const std::string muxed = work.path() + "/capture.mp4";
        FfmpegProcess muxer;
        if (!muxer.Start(ffmpeg, MuxArguments(video, audio, muxed), work.path() + "/mux.log", false, why))
            return Fail(why);
        SetProcessToStop(muxer.process());
        if (!muxer.Wait(why)) return InterruptSignal() ? Interrupted(output.string()) : Fail(why);
        SetProcessToStop(0);
        if (InterruptSignal()) return Interrupted(output.string());
        if (!work.Publish("capture.mp4", output.string()))
            return Fail("cannot put the video in place as " + output.string() + ": " + std::strerror(errno));
    }
    if (options.timings) {
        PrintTimings(options, film->frames(), Since(start), runSeconds, run.readBackSeconds,
                     film->secondsStoring(), Since(finishing));
        // ffmpeg encodes beside the drawing and takes the same processors.
        rusage self{}, children{};
        getrusage(RUSAGE_SELF, &self);
        getrusage(RUSAGE_CHILDREN, &children);
        auto seconds = [](const rusage& r) {
            return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                   static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
        };
        const double player = seconds(self), encoder = seconds(children);
        std::printf("processor time: the player %.2f s, ffmpeg %.2f s (%.0f%% of both)\n", player, encoder,
                    player + encoder > 0.0 ? 100.0 * encoder / (player + encoder) : 0.0);
        std::printf("drawn on %s\n", run.renderer.c_str());
        std::printf("each scene window: ms a frame to draw and read back (wall clock, and processor time of\n"
                    "all the program's threads), and per frame the draw calls, state changes and KB of\n"
                    "vertices and indices sent to OpenGL or drawn from what it held:\n%s",
                    film->sceneTimings().Table().c_str());
    }
    return 0;
}
