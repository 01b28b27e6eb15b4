// A source scene as the converter takes it: the import library's scene graph,
// whichever reader made it, and what that graph cannot carry.
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::tools {

// Only where a format's import differs in a way the conversion must know.
enum class SourceFormat { Ase, Gltf, Fbx, ThreeDs, Other };

// A key of an animated value: the time in seconds from the source's time 0.
template <typename T>
struct TimedValue {
    double seconds = 0.0;
    T value{};
};

struct ImportedScene {
    // The graph: owned by the importer, or by ownScene when our own reader made it.
    std::unique_ptr<Assimp::Importer> importer;
    std::unique_ptr<aiScene> ownScene;
    const aiScene* scene = nullptr;

    SourceFormat format = SourceFormat::Other;
    std::string path;       // as given
    std::string directory;  // the source's folder, where its external textures lie

    // The source's own frame rate, 0 when it has none.
    double framesPerSecond = 0.0;
    // The source's own range of frames at that rate, when it names one.
    std::optional<std::pair<double, double>> frameRange;
    // The scene's ambient colour, when the source names one.
    std::optional<aiColor3D> ambient;
    // Animated fields of view and light colours (already scaled by the light's
    // intensity), by camera or light name: the graph holds one value each.
    std::map<std::string, std::vector<TimedValue<float>>> cameraFov;
    std::map<std::string, std::vector<TimedValue<aiColor3D>>> lightColour;
    // Kinds of content the reader dropped (skinning, vertex animation), said
    // once each by the conversion.
    std::vector<std::string> readerNotes;
};

}  // namespace velmora::tools
