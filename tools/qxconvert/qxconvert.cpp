// qxconvert INPUT [-o DIR] [--fps N] [--frames A-B | --seconds N] [--orbit]
// [--scale S]: converts a model or scene from today's modelling tools (glTF,
// FBX, Collada, OBJ, 3DS, ASE and whatever else the Open Asset Import Library
// reads) into a scene file the player shows, with its visibility file, its
// textures and, when DIR has none, a starter play script.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/numbers.h"
#include "common/output_path.h"
#include "common/standard_options.h"
#include "qxconvert/conversion.h"
#include "qxconvert/export_names.h"
#include "qxconvert/frame_plan.h"
#include "qxconvert/output_folder.h"
#include "qxconvert/scene_import.h"
#include "qxconvert/staged_visibility.h"
#include "qxconvert/starter_script.h"
#include "show/show_files.h"

using namespace velmora::tools;

namespace {

const char* kUsage =
    "usage: qxconvert INPUT [-o DIR] [--fps N] [--frames A-B | --seconds N] [--orbit] [--scale S]";

int Refuse(const std::string& line) {
    std::fprintf(stderr, "qxconvert: %s\n", line.c_str());
    return 2;
}

// "FIRST-LAST"; false with the reason for anything else, or for more frames
// than a scene is given.
bool ReadRange(const char* text, std::pair<int64_t, int64_t>& range, std::string& why) {
    why = "--frames takes FIRST-LAST, whole frames, such as 0-90";
    if (!text) return false;
    std::string both = text;
    size_t dash = both.find('-');
    if (dash == std::string::npos || !ReadWholeNumber(both.substr(0, dash).c_str(), range.first) ||
        !ReadWholeNumber(both.substr(dash + 1).c_str(), range.second) || range.first > range.second)
        return false;
    const int64_t count = range.second - range.first + 1;
    if (count > kMaxFrames) {
        why = "--frames " + both + " is " + std::to_string(count) + " frames, more than the " +
              std::to_string(kMaxFrames) + " a scene is given";
        return false;
    }
    return true;
}

std::string BareStem(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string Plural(size_t count, const std::string& word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

constexpr const char* kHelp =
    "usage: qxconvert INPUT [-o DIR] [--fps N] [--frames A-B | --seconds N] [--orbit] [--scale S]\n"
    "Converts a modelling tool's scene (glTF, FBX, Collada, OBJ, 3DS, ASE, ...) into a\n"
    "scene file, its visibility file, its textures and a starter play script.\n"
    "  -o DIR         the folder written into (default: the current folder)\n"
    "  --fps N        the frames sampled per second (default: the source's, else 30)\n"
    "  --frames A-B   only the frames A to B (B included), counted at that rate\n"
    "  --seconds N    a scene N seconds long at that rate, the last pose held\n"
    "  --orbit        adds a camera circling the scene once over its frames\n"
    "  --scale S      scales the whole scene by S\n"
    "  --help         prints this help and exits\n"
    "  --version      prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxconvert", kHelp, true))
        return *answered;
    std::string input, directory = ".";
    ConvertOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (argument == "-o") {
            if (!value || !*value) return Refuse("-o needs a folder; " + std::string(kUsage));
            directory = value;
            ++i;
        } else if (argument == "--fps") {
            if (!ReadDecimal(value, 0.001, 1000.0, options.framesPerSecond) || options.framesPerSecond <= 0.0)
                return Refuse("--fps takes a rate above 0 and up to 1000, such as 30 or 29.97");
            ++i;
        } else if (argument == "--frames") {
            std::pair<int64_t, int64_t> range;
            std::string why;
            if (!ReadRange(value, range, why)) return Refuse(why);
            options.frames = range;
            ++i;
        } else if (argument == "--seconds") {
            double seconds;
            if (!ReadDecimal(value, 0.001, 100000.0, seconds))
                return Refuse("--seconds takes the scene's length in seconds, from 0.001 to 100000, such as 10 or 2.5");
            options.seconds = seconds;
            ++i;
        } else if (argument == "--orbit") {
            options.orbit = true;
        } else if (argument == "--scale") {
            double scale;
            if (!ReadDecimal(value, 1e-6, 1e6, scale)) return Refuse("--scale takes a factor from 0.000001 to 1000000");
            options.scale = static_cast<float>(scale);
            ++i;
        } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
            return Refuse("unknown option " + argument + "; " + kUsage);
        } else if (input.empty()) {
            input = argument;
        } else {
            return Refuse("one input at a time; " + std::string(kUsage));
        }
    }
    if (input.empty()) return Refuse(kUsage);
    if (options.frames && options.seconds)
        return Refuse("--frames and --seconds both choose the scene's frames; give one of them");
    std::string why;
    if (!CheckOutputFolder(directory, why)) return Refuse(why);

    ImportedScene source;
    if (!ImportScene(input, source, why)) return Refuse(input + ": " + why);
    ConvertedScene converted;
    if (!ConvertScene(source, options, converted, why)) return Refuse(input + ": " + why);
    std::string problem = CheckScene(converted.description);
    if (!problem.empty()) return Refuse(input + ": the converted scene is not sound: " + problem);

    std::string name = SafeWord(BareStem(input), 60);
    if (name.empty()) name = "scene";
    std::string sceneFile = name + ".QX3", visibilityFile = name + ".VIS";
    StagedOutput output;
    if (!output.Begin(directory, why)) return Refuse(why);
    for (const TextureFile& texture : converted.textures)
        if (!output.Write(texture.name, texture.bytes, why)) return Refuse(why);
    if (!output.Write(sceneFile, SceneBytes(converted.description), why)) return Refuse(why);
    if (!StageVisibility(output, sceneFile, visibilityFile, converted.twoSidedObjects, converted.notes, why)) return Refuse(why);
    bool script = !output.HasEntry(kShowScriptName);
    if (script) {
        StarterShow show;
        show.sourceName = input.substr(input.find_last_of('/') + 1);
        show.sceneFile = sceneFile;
        show.frameCount = converted.frames.count;
        show.framesPerSecond = converted.frames.framesPerSecond;
        for (const WriterCamera& camera : converted.description.cameras) show.cameras.push_back(camera.name);
        if (show.cameras.size() > kMaxStarterCameras)
            converted.notes.Add("the starter script shows the first " + std::to_string(kMaxStarterCameras) +
                                " cameras");
        show.twoSidedObjects = converted.twoSidedObjects;
        if (!output.Write(kShowScriptName, StarterScript(show), why)) return Refuse(why);
    }
    if (!output.Commit(why)) return Refuse(why);

    for (const std::string& note : converted.notes.All()) std::fprintf(stderr, "qxconvert: %s\n", note.c_str());
    const SceneDescription& scene = converted.description;
    size_t parts = 0;
    for (const WriterObject& object : scene.objects) parts += object.parts.size();
    std::printf("%s/%s: %s at %g a second, %s (%s), %s%s, %s%s, %s%s\n", directory.c_str(), sceneFile.c_str(),
                Plural(static_cast<size_t>(scene.frameCount), "frame").c_str(), converted.frames.framesPerSecond,
                Plural(scene.objects.size(), "object").c_str(), Plural(parts, "part").c_str(),
                Plural(scene.cameras.size(), "camera").c_str(),
                converted.framingCamera ? " (framing the scene)"
                : converted.orbitCamera ? " (one circling the scene)"
                                        : "",
                Plural(scene.lights.size(), "light").c_str(), converted.defaultLights ? " (default)" : "",
                Plural(converted.textures.size(), "texture").c_str(), script ? "; starter script MORVAST.QXP" : "");
    return 0;
}
