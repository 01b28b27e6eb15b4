// How long the player's reader and qxcheck take over long play scripts: the
// example show's cube with 2,500, 5,000 and 10,000 timed lines after it, in
// time order as show makers write them, then the same lines shuffled.
//   script_bench [--keep DIR] [LINES...]
// For each script: the reader with the log off and on (VELMORA_LOG=1), and
// the whole check that qxcheck prints, in wall-clock seconds, best of three.
// --keep writes each script's log, actions and check report into DIR, so that
// two builds can be compared byte for byte.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "diag/log.h"
#include "platform/setup/platform_settings.h"
#include "qxcheck/script_check.h"
#include "scene/scene.h"
#include "scene_writer/sample_scenes.h"
#include "scene_writer/scene_writer.h"
#include "show/play_script.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace {

// N timed lines of every kind, the times rising by a tenth of a second.
std::vector<std::string> TimedLines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        char line[96];
        const double seconds = 3.0 + i * 0.1;
        switch (i % 5) {
            case 0: std::snprintf(line, sizeof line, "[QX3][01][Play] %.1f FALSE\r\n", seconds); break;
            case 1: std::snprintf(line, sizeof line, "[QX3][01][Stop] %.1f\r\n", seconds); break;
            case 2: std::snprintf(line, sizeof line, "[Engine][Hold] %.1f 10\r\n", seconds); break;
            case 3: std::snprintf(line, sizeof line, "[QX3][01][PreLoad] %.1f\r\n", seconds); break;
            default: std::snprintf(line, sizeof line, "[QX3][01][Release] %.1f\r\n", seconds); break;
        }
        lines.push_back(line);
    }
    return lines;
}

std::string Script(const std::vector<std::string>& timed) {
    std::string script = velmora::tools::ExampleShowScript();
    for (const std::string& line : timed) script += line;
    return script;
}

void FreeShow() {
    for (int32_t i = 0; i < sceneCount && scenes; ++i) FreeScene(&scenes[i]);
    std::free(scenes);
    scenes = nullptr;
    sceneCount = 0;
    ClearActionList(&actionList);
}

double Best(int runs, const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

double ReadSeconds(bool log) {
    return Best(3, [log] {
        // As StartLog does, but with the log kept in the bench's folder.
        if (log) {
            std::ofstream("Log.TXT", std::ios::binary | std::ios::trunc);
            logEnabled = 1;
        }
        char name[] = "MORVAST.QXP";
        ReadPlayScript(name, nullptr);
        logEnabled = 0;
        FreeShow();
    });
}

double CheckSeconds(std::string& report) {
    return Best(3, [&report] {
        velmora::tools::ScriptCheck check;
        std::string error;
        velmora::tools::CheckPlayScript("MORVAST.QXP", check, error);
        report = velmora::tools::FormatScriptCheck(check);
    });
}

// The log of one more reading and the actions it made, with the report.
void Keep(const std::string& folder, const std::string& name, const std::string& report) {
    std::ofstream("Log.TXT", std::ios::binary | std::ios::trunc);
    logEnabled = 1;
    char script[] = "MORVAST.QXP";
    ReadPlayScript(script, nullptr);
    logEnabled = 0;
    std::ofstream actions(folder + "/" + name + ".actions");
    for (const Action* a = actionList.next; a; a = a->next)
        actions << a->time << " " << a->type << " " << a->argument << "\n";
    FreeShow();
    std::error_code ignored;
    std::filesystem::copy_file("Log.TXT", folder + "/" + name + ".log",
                               std::filesystem::copy_options::overwrite_existing, ignored);
    std::ofstream(folder + "/" + name + ".check", std::ios::binary) << report;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc)
            keep = std::filesystem::absolute(argv[++i]).string();
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) counts = {2500, 5000, 10000};

    const char* base = std::getenv("TMPDIR");
    std::string folder = std::string(base && *base ? base : "/tmp") + "/script-bench-XXXXXX";
    if (!mkdtemp(folder.data()) || chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "script_bench: no temporary folder\n");
        return 2;
    }
    velmora::platform::PlatformSettings settings;
    settings.windowSystem = velmora::platform::WindowBackEnd::Null;
    settings.renderDevice = velmora::platform::RenderBackEnd::Null;
    settings.sound = velmora::platform::SoundBackEnd::Silent;
    velmora::platform::InstallPlatform(settings);
    std::string error;
    if (!velmora::tools::WriteSceneFile("cube.QX3", velmora::tools::ExampleShowScene(), &error)) {
        std::fprintf(stderr, "script_bench: %s\n", error.c_str());
        return 2;
    }
    // The log goes into the same folder.
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s/", folder.c_str());

    std::printf("%-18s %8s %12s %12s %12s\n", "script", "lines", "read (s)", "read+log (s)", "qxcheck (s)");
    for (bool shuffled : {false, true}) {
        for (int count : counts) {
            std::vector<std::string> timed = TimedLines(count);
            if (shuffled) std::shuffle(timed.begin(), timed.end(), std::mt19937(12345));
            std::ofstream("MORVAST.QXP", std::ios::binary) << Script(timed);
            std::string report;
            const double read = ReadSeconds(false);
            const double logged = ReadSeconds(true);
            const double checked = CheckSeconds(report);
            std::printf("%-18s %8d %12.3f %12.3f %12.3f\n", shuffled ? "shuffled times" : "times in order", count,
                        read, logged, checked);
            std::fflush(stdout);
            if (!keep.empty())
                Keep(keep, std::string(shuffled ? "shuffled-" : "order-") + std::to_string(count), report);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
