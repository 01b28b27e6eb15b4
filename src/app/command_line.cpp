#include "app/command_line.h"

#include "platform/win32/windows.h"

const char* const kPlayerHelp =
    "usage: velmora [first_device] [SHOWDIR]\n"
    "Plays the show (MORVAST.QXD and MORVAST.QXP) in SHOWDIR, or in the current folder.\n"
    "  first_device  the display selection keeps the first matching device and mode\n"
    "  --help        prints this help and exits\n"
    "  --version     prints the version and exits\n"
    "The environment switches (VELMORA_LOG, VELMORA_FPS, VELMORA_CAPTURE, ...) are\n"
    "described in velmora(1).\n";

namespace {

std::string& ShowFolderText() {
    static std::string folder;
    return folder;
}

bool IsFolder(const std::string& name) {
    DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool ReadPlayerArguments(const std::vector<std::string>& arguments, PlayerArguments& read,
                         std::string& error) {
    read = PlayerArguments{};
    for (const std::string& argument : arguments) {
        if (argument == "--help") {
            read.request = PlayerArguments::Request::Help;
        } else if (argument == "--version") {
            read.request = PlayerArguments::Request::Version;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument + "; usage: velmora [first_device] [SHOWDIR]";
            return false;
        } else if (argument != "first_device" && !argument.empty() && IsFolder(argument)) {
            if (!read.showFolder.empty()) {
                error = "one show folder at a time, not both " + read.showFolder + " and " + argument;
                return false;
            }
            read.showFolder = argument;
        } else {
            if (!read.words.empty()) read.words += ' ';
            read.words += argument;
        }
    }
    return true;
}

void NameShowFolder(const std::string& folder) { ShowFolderText() = folder; }

const char* ShowFolderName() {
    return ShowFolderText().empty() ? "the current folder" : ShowFolderText().c_str();
}
