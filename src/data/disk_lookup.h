// Finding a data file on disk. Names come from a system whose file names ignore
// case and whose separator is the backslash.
#pragma once

#include <cstdio>

// Opens the named regular file for reading. Backslashes count as '/', and when
// the exact path does not exist each component is matched case-insensitively
// in its directory. Null when nothing matches.
FILE* OpenDiskFile(const char* name);
// The path on disk that OpenDiskFile would open, as a new string the caller
// frees; null when nothing matches.
char* FindDiskPath(const char* name);
