// qxshow DIR: writes the sample show into DIR, making DIR when it is missing:
// MORVAST.QXD, the archive holding every file of the show (the play script
// included, so that the player finds everything in the archive), and beside
// it the play script MORVAST.QXP to read and check. The loose files are made
// in a working folder inside DIR that is removed at the end; the archive and
// the script reach their names only when both are whole. The same program
// writes the same bytes on every run.
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive_writer.h"
#include "common/output_path.h"
#include "common/standard_options.h"
#include "common/staging_folder.h"
#include "sample_show/sample_show.h"
#include "show/show_files.h"

namespace {

int Refuse(const std::string& line) {
    std::fprintf(stderr, "qxshow: %s\n", line.c_str());
    return 2;
}

constexpr const char* kHelp =
    "usage: qxshow DIR\n"
    "Writes the sample show, a minute of five scenes with its music, into DIR as\n"
    "MORVAST.QXD and MORVAST.QXP, the same bytes on every run.\n"
    "  --help     prints this help and exits\n"
    "  --version  prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxshow", kHelp, false))
        return *answered;
    if (argc != 2 || !*argv[1] || argv[1][0] == '-') return Refuse("usage: qxshow DIR");
    const std::string directory = argv[1];
    std::string why;
    if (!velmora::tools::CheckOutputFolder(directory, why)) return Refuse(why);
    for (const char* name : {kShowArchiveName, kShowScriptName})
        if (!velmora::tools::CheckOutputFile(directory + "/" + name, why)) return Refuse(why);
    std::error_code failed;
    std::filesystem::create_directories(directory, failed);
    if (failed || !std::filesystem::is_directory(directory))
        return Refuse("cannot make the folder " + directory);
    const std::string absolute = std::filesystem::absolute(directory, failed).lexically_normal().string();
    if (failed) return Refuse("cannot tell where " + directory + " is");

    // Written whole in a hidden folder, removed however the program ends.
    velmora::tools::StagingFolder work;
    if (!work.Make(absolute, ".qxshow")) return Refuse("cannot write in " + directory + ": " + std::strerror(errno));

    // Drawing the visibility reads back frame after frame; with large blocks
    // kept rather than mapped and unmapped each time, that runs several times
    // faster.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    // The visibility is drawn offscreen: nothing is shown.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::vector<std::string> names;
    if (!velmora::tools::WriteShowFiles(work.path(), names, why)) return Refuse(why);

    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(work.path() + "/" + name);
    if (!velmora::tools::CreateArchive(work.path() + "/packed.QXD", paths, why)) return Refuse(why);

    // Both whole: now they take their names, the archive first.
    if (!work.Publish("packed.QXD", absolute + "/" + kShowArchiveName) ||
        !work.Publish(kShowScriptName, absolute + "/" + kShowScriptName))
        return Refuse("cannot write in " + directory + ": " + std::strerror(errno));
    return 0;
}
