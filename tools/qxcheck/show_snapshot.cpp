#include "qxcheck/show_snapshot.h"

#include <cstdlib>

#include "data/archive_reader.h"
#include "data/data_archive.h"
#include "data/data_name.h"
#include "data/disk_lookup.h"
#include "music/music_player.h"
#include "scene/scene.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

std::string Text(const char* s) { return s ? s : ""; }

}  // namespace

ShowState Snapshot(bool withScenes) {
    ShowState state;
    state.localPath = localPath;
    state.sceneCount = sceneCount;
    state.musicCount = musicTrackCount;
    for (int32_t i = 0; withScenes && i < sceneCount && scenes; ++i) {
        const Scene& s = scenes[i];
        SceneState scene;
        scene.fileName = Text(s.fileName);
        scene.frameCount = s.frameCount;
        scene.fps = s.framesPerSecond;
        for (int32_t c = 0; c < s.cameraCount && s.frameCount > 0; ++c) {
            const SceneCamera& camera = s.cameras[c];
            CameraState cs;
            cs.name = Text(camera.name);
            cs.blur = camera.blurFrames;
            cs.blend.assign(camera.frameBlend, camera.frameBlend + s.frameCount);
            cs.ambient.assign(camera.frameExtraAmbient, camera.frameExtraAmbient + s.frameCount);
            scene.cameras.push_back(std::move(cs));
            scene.order.push_back(s.cameraOrder[c]);
        }
        for (int32_t o = 0; o < s.objectCount; ++o)
            scene.objects.push_back({Text(s.objects[o].name), s.objects[o].shadeMode,
                                     s.objects[o].overlay, s.objects[o].cullBackfaces});
        state.scenes.push_back(std::move(scene));
    }
    for (int32_t i = 0; i < musicTrackCount && musicTracks; ++i)
        state.music.push_back(Text(musicTracks[i].fileName));
    return state;
}

FileSource FindShowFile(const std::string& name) {
    if (name.empty()) return FileSource::Nowhere;
    if (FindArchiveEntry(&dataArchive, name.c_str()) >= 0) return FileSource::Archive;
    char* path = FindDiskPath(name.c_str());
    if (!path) return FileSource::Nowhere;
    std::free(path);
    return FileSource::Folder;
}

const char* FileSourceName(FileSource source) {
    switch (source) {
        case FileSource::Archive: return "the archive";
        case FileSource::Folder: return "the folder";
        case FileSource::Nowhere: break;
    }
    return "neither the archive nor the folder";
}

std::vector<std::string> SceneFileNames(const std::string& writtenName, int sceneIndex) {
    std::vector<std::string> names;
    if (sceneIndex < 0 || sceneIndex >= sceneCount || !scenes) return names;
    const Scene& scene = scenes[sceneIndex];
    names.push_back(Text(scene.fileName));
    std::string visibility = writtenName;
    visibility.replace(visibility.size() >= 3 ? visibility.size() - 3 : visibility.size(), std::string::npos,
                       "VIS");
    names.push_back(visibility);
    for (int32_t d = 0; d < scene.drawStyleCount; ++d) {
        const std::string texture = Text(scene.drawStyles[d].textureName);
        if (texture.empty()) continue;
        bool seen = false;
        for (size_t n = 2; n < names.size() && !seen; ++n) seen = DataNamesEqual(names[n].c_str(), texture.c_str());
        if (!seen) names.push_back(texture);
    }
    return names;
}

}  // namespace velmora::tools
