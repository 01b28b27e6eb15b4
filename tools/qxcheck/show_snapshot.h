// The show's state as the play script's reader leaves it after a line: what a
// line may change (counts, the local-path flag, each scene's frame rate,
// cameras and objects, the music tracks' files), copied so that the checker
// can compare before and after; and where the player finds each file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tools {

// An action as the reader put it on the timeline.
struct ActionRecord {
    int32_t time;
    int32_t type;
    float argument;
    bool operator==(const ActionRecord&) const = default;
};

struct CameraState {
    std::string name;
    int32_t blur = 1;
    std::vector<float> blend;
    std::vector<int32_t> ambient;
};

struct ObjectState {
    std::string name;
    int32_t shade = 0, overlay = 0, cull = 0;
};

struct SceneState {
    std::string fileName;
    int32_t frameCount = 0;
    float fps = 0.0f;
    std::vector<CameraState> cameras;
    std::vector<int32_t> order;
    std::vector<ObjectState> objects;
};

struct ShowState {
    int localPath = 0;
    int32_t sceneCount = 0;
    int32_t musicCount = 0;
    std::vector<SceneState> scenes;
    std::vector<std::string> music;
};

// The engine's run state now. The scenes' per-frame values are taken only
// when asked for: copied for every line, they would make the check of a long
// script slow.
ShowState Snapshot(bool withScenes);

// Where the player's lookup (OpenDataFile) finds a file: the archive first,
// by name ignoring case, then the disk from the current folder.
enum class FileSource { Archive, Folder, Nowhere };
FileSource FindShowFile(const std::string& name);
// "the archive", "the folder" or "neither the archive nor the folder".
const char* FileSourceName(FileSource source);

// The names a loaded scene made the player open, in the order it opened
// them: the scene file, its visibility file (the scene's name as written in
// the script, last three letters VIS) and each draw style's texture once.
std::vector<std::string> SceneFileNames(const std::string& writtenName, int sceneIndex);

}  // namespace velmora::tools
