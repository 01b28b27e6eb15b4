// The player's arguments: the folder whose show it plays, the words the
// display selection compares with "first_device", and --help and --version.
#pragma once

#include <string>
#include <vector>

struct PlayerArguments {
    enum class Request { Play, Help, Version };
    Request request = Request::Play;
    // The argument that names a folder: the show played is the one in it.
    // Empty for the current folder.
    std::string showFolder;
    // Every other argument, joined by single blanks: the command line the
    // original received, where "first_device" is looked for.
    std::string words;
};

// False with a one-line message in error for an option other than --help
// and --version (an argument of more than one character starting with '-')
// and for a second folder. Any other word is kept, as the original kept
// every word; the word "first_device" is never taken for a folder.
bool ReadPlayerArguments(const std::vector<std::string>& arguments, PlayerArguments& read,
                         std::string& error);

// What --help prints.
extern const char* const kPlayerHelp;

// The folder the no-show message names: the one given, else "the current folder".
void NameShowFolder(const std::string& folder);
const char* ShowFolderName();
