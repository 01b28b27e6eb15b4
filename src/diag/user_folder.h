// The program's own folder among the user's, for the files that go beside
// the program while its folder can be written (an installed program's
// cannot): the log and the saved settings.
#pragma once

#include <cstddef>

// The user's folder of the kind given (CSIDL_APPDATA for settings,
// CSIDL_LOCAL_APPDATA for logs) with "velmora/" under it, made when missing,
// into path with its trailing separator. False where the user has no such
// folder, it cannot be made or the path does not fit.
bool FindUserFolder(int kind, char* path, size_t size);

// Whether the folder FindExeDirectory found can be written; false also when
// it is not there.
bool ProgramFolderWritable();
