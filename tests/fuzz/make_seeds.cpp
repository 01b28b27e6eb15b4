// velmora_fuzz_seeds CORPUS_DIR: writes the seed corpora of the scene and
// visibility fuzz targets with the scene writer (tests/fuzz/corpus/ holds the
// committed result).
#include <cstdio>
#include <fstream>
#include <string>

#include "scene_writer/sample_scenes.h"
#include "visibility_fuzz_input.h"

using namespace velmora::tools;
using velmora::fuzzing::VisibilityShape;
using velmora::fuzzing::VisibilityShapeBytes;

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A small scene with a lower-case node name and nodes in mixed order.
SceneDescription MixedScene() {
    SceneDescription d = OneFrameScene();
    d.frameCount = 2;
    d.ambient = {0x0A0B0C, 0xFF8001};
    d.cameras[0].fov = {0.5f, 0.6f};
    d.cameras[0].matrices.push_back(IdentityMatrix());
    d.lights[0].spot = true;
    d.lights[0].attenuation = 2;
    d.objects[0].parts[0].polygons[0][0] += 65536;
    d.shapes = {"*geomobject"};
    d.helpers = {"*HELPEROBJECT"};
    d.nodeOrder = {{NodeKind::Shape, 0}, {NodeKind::Light, 0}, {NodeKind::Object, 0},
                   {NodeKind::Helper, 0}, {NodeKind::Camera, 0}};
    return d;
}

std::vector<uint8_t> VisibilitySeed(const SceneDescription& d, const VisibilityTest& visible,
                                    size_t keep) {
    VisibilityShape shape;
    shape.cameraCount = static_cast<int32_t>(d.cameras.size());
    shape.frameCount = d.frameCount;
    for (int32_t o : NodesInFileOrder(d, NodeKind::Object))
        shape.partCounts.push_back(static_cast<int32_t>(d.objects[o].parts.size()));
    std::vector<uint8_t> bytes = VisibilityShapeBytes(shape);
    std::vector<uint8_t> file = VisibilityBytes(d, visible);
    if (keep < file.size()) file.resize(keep);
    bytes.insert(bytes.end(), file.begin(), file.end());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_fuzz_seeds CORPUS_DIR\n");
        return 2;
    }
    const std::string scenes = std::string(argv[1]) + "/scene_reader_fuzz/";
    const std::string visibility = std::string(argv[1]) + "/visibility_fuzz/";
    SceneDescription every = EveryNodeScene();
    SceneDescription nine = EveryNodeScene();
    nine.objects[1].parts.resize(9, nine.objects[1].parts[0]);
    auto none = [](int32_t, int32_t, int32_t, int32_t) { return false; };
    bool written = Write(scenes + "every_node.QX3", SceneBytes(every)) &&
                   Write(scenes + "one_frame.QX3", SceneBytes(OneFrameScene())) &&
                   Write(scenes + "mixed.QX3", SceneBytes(MixedScene())) &&
                   Write(visibility + "every_node", VisibilitySeed(every, SampleVisibility, SIZE_MAX)) &&
                   Write(visibility + "nine_parts", VisibilitySeed(nine, none, SIZE_MAX)) &&
                   Write(visibility + "nine_parts_short", VisibilitySeed(nine, SampleVisibility, 7));
    if (!written) {
        std::fprintf(stderr, "velmora_fuzz_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
