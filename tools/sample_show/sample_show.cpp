#include "sample_show/sample_show.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "data/data_archive.h"
#include "qxvis/visibility_bits.h"
#include "sample_show/show_music.h"
#include "sample_show/show_script.h"
#include "sample_show/show_textures.h"
#include "scene/scene_reader.h"
#include "show/show_files.h"

namespace velmora::tools {

namespace {

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& why) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        why = path + " cannot be written";
        return false;
    }
    return true;
}

std::string BareMusicName(const char* name) {
    const char* slash = std::strrchr(name, '\\');
    return slash ? slash + 1 : name;
}

// Applies the script's back-face lines to a scene read by the engine, so
// that the visibility is worked out with the culling the player will use.
void ApplyBackfaceLines(const ShowScene& show, Scene& scene) {
    for (const ObjectFlag& flag : show.backfaces)
        for (int32_t o = 0; o < scene.objectCount; ++o)
            if (strcasecmp(scene.objects[o].name, flag.object.c_str()) == 0)
                scene.objects[o].cullBackfaces = flag.value[0] == 'T' ? 1 : 0;
}

// Reads the scene from the current folder as the player would, and writes
// its visibility file beside it.
bool WriteVisibility(const ShowScene& show, std::string& why) {
    MemoryFile* file = OpenDataFile(show.fileName.c_str());
    if (!file) {
        why = show.fileName + " cannot be read back";
        return false;
    }
    Scene scene{};
    InitScene(&scene);
    const int sound = ReadSceneData(file, &scene);
    MemClose(file);
    if (!sound) {
        why = show.fileName + " is not read back as it was written";
        return false;
    }
    ApplyBackfaceLines(show, scene);
    VisibilityBits bits(scene);
    const bool made = GenerateVisibility(scene, ShowVisibilityOptions(), bits, {}, why);
    FreeScene(&scene);  // the textures its reading put in the cache go too
    if (!made) return false;
    const std::string name = show.fileName.substr(0, show.fileName.size() - 3) + "VIS";
    return WriteBytes(name, bits.bytes(), why);
}

}  // namespace

std::vector<ShowScene> ShowScenes() { return {StarsScene(), TitleScene(), TunnelScene(), KnotScene(), CityScene()}; }

std::vector<ShowFile> ShowFilesWithoutVisibility(const std::vector<ShowScene>& scenes) {
    std::vector<ShowFile> files = ShowTextureFiles();
    for (const ShowScene& scene : scenes) files.push_back({scene.fileName, SceneBytes(scene.scene)});
    files.push_back({BareMusicName(kTuneName), ModBytes(ShowTune())});
    files.push_back({BareMusicName(kStreamName), WavBytes(StreamSamples(), kStreamRate, 1)});
    const std::string script = ShowScript(scenes);
    files.push_back({kShowScriptName, std::vector<uint8_t>(script.begin(), script.end())});
    return files;
}

GeneratorOptions ShowVisibilityOptions() {
    GeneratorOptions options;
    options.width = 320;
    options.height = 240;
    options.margin = 2;
    options.steps = 2;
    return options;
}

bool WriteShowFiles(const std::string& folder, std::vector<std::string>& names, std::string& why) {
    const std::vector<ShowScene> scenes = ShowScenes();
    for (const ShowScene& scene : scenes) {
        const std::string fault = CheckScene(scene.scene);
        if (!fault.empty()) {
            why = scene.fileName + ": " + fault;
            return false;
        }
    }
    const std::string tuneFault = CheckModule(ShowTune());
    if (!tuneFault.empty()) {
        why = "the tune: " + tuneFault;
        return false;
    }
    names.clear();
    for (const ShowFile& file : ShowFilesWithoutVisibility(scenes)) {
        if (!WriteBytes(folder + "/" + file.name, file.bytes, why)) return false;
        names.push_back(file.name);
    }

    // The engine looks files up from the current folder, with local paths on
    // so that the textures' folders are cut as in the show.
    char here[4096];
    if (!getcwd(here, sizeof here)) {
        why = std::string("the current folder cannot be told: ") + std::strerror(errno);
        return false;
    }
    if (chdir(folder.c_str()) != 0) {
        why = folder + " cannot be entered: " + std::strerror(errno);
        return false;
    }
    const int32_t previousLocalPath = localPath;
    localPath = 1;
    bool good = true;
    for (const ShowScene& scene : scenes) {
        if (!(good = WriteVisibility(scene, why))) break;
        names.push_back(scene.fileName.substr(0, scene.fileName.size() - 3) + "VIS");
    }
    localPath = previousLocalPath;
    if (chdir(here) != 0 && good) {
        why = std::string("the folder qxshow started in cannot be entered again: ") + std::strerror(errno);
        return false;
    }
    return good;
}

}  // namespace velmora::tools
