// qxcheck [DIR/]MORVAST.QXP: reads a play script as the player does, from the
// show's folder with its archive, and prints what the player will do with each
// line and where its reader falls out of step with the text. Exit status 0 for
// a clean script, 1 when it warned, 2 when the script cannot be read.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "data/data_archive.h"
#include "common/standard_options.h"
#include "platform/setup/platform_settings.h"
#include "qxcheck/script_check.h"
#include "show/show_files.h"

namespace {

constexpr const char* kHelp =
    "usage: qxcheck [DIR/]MORVAST.QXP\n"
    "Reads a play script with the player's own reader and prints what the player\n"
    "does with each line, warning where the reader falls out of step with the text.\n"
    "Exit status 0: nothing found, 1: warnings, 2: the script cannot be read.\n"
    "  --help     prints this help and exits\n"
    "  --version  prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxcheck", kHelp, false))
        return *answered;
    if (argc != 2 || !*argv[1]) {
        std::fprintf(stderr, "usage: qxcheck [DIR/]MORVAST.QXP\n");
        return 2;
    }
    // The show is read from the script's folder, as the player reads it from
    // the folder it starts in.
    std::string path = argv[1];
    std::string name = path;
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) {
        std::string folder = path.substr(0, slash + 1);
        name = path.substr(slash + 1);
        if (name.empty() || chdir(folder.c_str()) != 0) {
            std::fprintf(stderr, "qxcheck: %s: no such show folder or script\n", argv[1]);
            return 2;
        }
    }
    velmora::platform::PlatformSettings settings;
    settings.windowSystem = velmora::platform::WindowBackEnd::Null;
    settings.renderDevice = velmora::platform::RenderBackEnd::Null;
    settings.sound = velmora::platform::SoundBackEnd::Silent;
    velmora::platform::InstallPlatform(settings);
    LoadDataArchive(kShowArchiveName);
    velmora::tools::ScriptCheck check;
    std::string error;
    if (!velmora::tools::CheckPlayScript(name, check, error)) {
        std::fprintf(stderr, "qxcheck: %s\n", error.c_str());
        return 2;
    }
    std::fputs(velmora::tools::FormatScriptCheck(check).c_str(), stdout);
    return check.warnings == 0 ? 0 : 1;
}
