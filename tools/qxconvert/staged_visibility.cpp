#include "qxconvert/staged_visibility.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "qxvis/visibility_generator.h"
#include "scene/scene_reader.h"
#include "texture/texture_cache.h"

namespace velmora::tools {
namespace {

// Runs in another working folder and comes back, since the player's lookups
// (scene, textures) are relative to it.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& directory) : previous_(open(".", O_RDONLY | O_CLOEXEC)) {
        entered_ = previous_ >= 0 && chdir(directory.c_str()) == 0;
    }
    ~WorkingFolder() {
        if (previous_ < 0) return;
        if (entered_ && fchdir(previous_) != 0) std::abort();  // nothing after this could find its files
        close(previous_);
    }
    bool Entered() const { return entered_; }

private:
    int previous_;
    bool entered_ = false;
};

}  // namespace

bool StageVisibility(StagedOutput& output, const std::string& sceneFile, const std::string& visibilityFile,
                     const std::vector<std::string>& twoSidedObjects, ConversionNotes& notes, std::string& why) {
    std::vector<uint8_t> bytes;
    bool generated = false;
    std::string reason;
    {
        WorkingFolder folder(output.StagingDirectory());
        if (!folder.Entered()) return (why = "the staging folder cannot be entered: " + std::string(std::strerror(errno)), false);
        MemoryFile* file = OpenDataFile(sceneFile.c_str());
        if (!file) return (why = sceneFile + " was written but cannot be read back", false);
        Scene scene{};
        InitScene(&scene);
        int loaded = ReadSceneData(file, &scene);
        MemClose(file);
        if (!loaded) return (why = sceneFile + " was written but the player's reader refuses it", false);
        for (int32_t i = 0; i < scene.drawStyleCount; ++i) {
            const char* name = scene.drawStyles[i].textureName;
            if (name && *name && !FindTexture(name))
                notes.Add(std::string("the player cannot read texture ") + name + "; its parts are drawn untextured");
        }
        for (int32_t o = 0; o < scene.objectCount; ++o)
            for (const std::string& name : twoSidedObjects)
                if (strcasecmp(scene.objects[o].name, name.c_str()) == 0) scene.objects[o].cullBackfaces = 0;
        // Always offscreen: nothing is shown.
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        VisibilityBits bits(scene);
        generated = GenerateVisibility(scene, GeneratorOptions{}, bits, {}, reason);
        if (generated) bytes = bits.bytes();
        DeleteCreatedTextures(&scene);
        DiscardSceneData(&scene);
    }
    if (!generated) {
        notes.Add("no visibility file (" + reason + "); the player draws every part");
        return true;
    }
    return output.Write(visibilityFile, bytes, why);
}

}  // namespace velmora::tools
