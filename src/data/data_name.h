// File names as the archive and the disk know them.
#pragma once

// ASCII letters compare equal in either case, all other bytes exactly.
bool DataNamesEqual(const char* a, const char* b);
// True for a bare file name that names a file in the current directory when
// written to disk: not empty, no '/', no '\\', not "." or "..".
bool IsBareDataName(const char* name);
