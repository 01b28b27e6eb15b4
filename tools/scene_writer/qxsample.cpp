// qxsample DIR: writes the sample scenes with their visibility files into DIR:
// sample.QX3 (every kind of node), one_frame.QX3 and walls.QX3 (rooms behind
// walls, for the visibility generator).
#include <cstdio>
#include <string>

#include "scene_writer/sample_scenes.h"

using namespace velmora::tools;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qxsample DIR\n");
        return 2;
    }
    const std::string directory = std::string(argv[1]) + "/";
    std::string error;
    SceneDescription every = EveryNodeScene();
    SceneDescription one = OneFrameScene();
    SceneDescription walls = WallsScene();
    auto allVisible = [](int32_t, int32_t, int32_t, int32_t) { return true; };
    if (!WriteSceneFile(directory + "sample.QX3", every, &error) ||
        !WriteVisibilityFile(directory + "sample.VIS", every, SampleVisibility, &error) ||
        !WriteSceneFile(directory + "one_frame.QX3", one, &error) ||
        !WriteVisibilityFile(directory + "one_frame.VIS", one, allVisible, &error) ||
        !WriteSceneFile(directory + "walls.QX3", walls, &error) ||
        !WriteVisibilityFile(directory + "walls.VIS", walls, allVisible, &error)) {
        std::fprintf(stderr, "qxsample: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
