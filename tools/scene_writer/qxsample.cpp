// qxsample DIR: writes the example show into DIR, making DIR when it is
// missing: MORVAST.QXD packed from cube.QX3, cube.VIS and cube.bmp, which also
// lie loose beside it, and the play script MORVAST.QXP. Beside them come the
// sample scenes sample.QX3 (every kind of node), one_frame.QX3 and walls.QX3
// (rooms behind walls, for the visibility generator) with their visibility
// files. Every file is written under a temporary name and renamed
// when it is whole.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive_writer.h"
#include "common/atomic_file.h"
#include "common/output_path.h"
#include "common/standard_options.h"
#include "scene_writer/sample_scenes.h"
#include "show/show_files.h"

using namespace velmora::tools;

namespace {

std::string directory;

// Writes bytes to DIR/name through a temporary name.
bool WriteFile(const std::string& name, const std::vector<uint8_t>& bytes, std::string* error) {
    const std::string path = directory + name;
    if (velmora::tools::WriteWholeFile(path, bytes.data(), bytes.size())) return true;
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
}

bool WriteScene(const std::string& name, const SceneDescription& scene, const VisibilityTest& visible,
                std::string* error) {
    std::string fault = CheckScene(scene);
    if (!fault.empty()) {
        *error = name + ": " + fault;
        return false;
    }
    const std::string base = name.substr(0, name.size() - 3);
    return WriteFile(name, SceneBytes(scene), error) &&
           WriteFile(base + "VIS", VisibilityBytes(scene, visible), error);
}

constexpr const char* kHelp =
    "usage: qxsample DIR\n"
    "Writes the guide's example show (MORVAST.QXD, MORVAST.QXP and their cube scene)\n"
    "and three sample scenes with their visibility files into DIR.\n"
    "  --help     prints this help and exits\n"
    "  --version  prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxsample", kHelp, false))
        return *answered;
    if (argc != 2 || !*argv[1]) {
        std::fprintf(stderr, "usage: qxsample DIR\n");
        return 2;
    }
    // Nothing is written until every name it writes is known to take a file.
    std::string error;
    bool writable = CheckOutputFolder(argv[1], error);
    for (const char* name : {"cube.QX3", "cube.VIS", "cube.bmp", kShowArchiveName, kShowScriptName, "sample.QX3",
                             "sample.VIS", "one_frame.QX3", "one_frame.VIS", "walls.QX3", "walls.VIS"})
        writable = writable && CheckOutputFile(std::string(argv[1]) + "/" + name, error);
    if (!writable) {
        std::fprintf(stderr, "qxsample: %s\n", error.c_str());
        return 2;
    }
    std::error_code failed;
    std::filesystem::create_directories(argv[1], failed);
    if (failed || !std::filesystem::is_directory(argv[1])) {
        std::fprintf(stderr, "qxsample: cannot make the folder %s\n", argv[1]);
        return 2;
    }
    directory = std::string(argv[1]) + "/";
    auto allVisible = [](int32_t, int32_t, int32_t, int32_t) { return true; };
    const std::string script = ExampleShowScript();
    bool written =
        WriteScene("cube.QX3", ExampleShowScene(), allVisible, &error) &&
        WriteFile("cube.bmp", ExampleTextureBytes(), &error) &&
        velmora::tools::CreateArchive(directory + kShowArchiveName,
                              {directory + "cube.QX3", directory + "cube.VIS", directory + "cube.bmp"},
                              error) &&
        WriteFile(kShowScriptName, std::vector<uint8_t>(script.begin(), script.end()), &error) &&
        WriteScene("sample.QX3", EveryNodeScene(), SampleVisibility, &error) &&
        WriteScene("one_frame.QX3", OneFrameScene(), allVisible, &error) &&
        WriteScene("walls.QX3", WallsScene(), allVisible, &error);
    if (!written) {
        std::fprintf(stderr, "qxsample: %s\n", error.c_str());
        return 2;
    }
    return 0;
}
