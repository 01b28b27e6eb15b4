// The play script's reading primitives: fixed-width reads and skips, words,
// flags and whole lines, all on the script's memory file. Every text value
// lands in one 512-byte buffer, cleared before each use; longer words are cut.
#pragma once

#include <cstdint>

#include "data/memory_file.h"

constexpr int kScriptTextSize = 512;

struct ScriptReader {
    MemoryFile* file;
    char text[kScriptTextSize];
};

// Reads exactly n characters (fewer at the end of the data) into text.
const char* ScriptRead(ScriptReader& reader, int n);
// Moves the cursor by n; a move the memory file refuses leaves it in place.
void ScriptSkip(ScriptReader& reader, int n);
// Characters up to a blank; the blank is consumed.
const char* ScriptWord(ScriptReader& reader);
// Characters up to a blank, LF or CR; a CR also takes the LF after it. The
// terminator found is stored in *terminator when given.
const char* ScriptLastWord(ScriptReader& reader, char* terminator = nullptr);
// "T" or "t" then the rest of TRUE and the line end; anything else is false.
int ScriptFlag(ScriptReader& reader);
// The rest of the line as a new string the caller frees.
char* ScriptRestOfLine(ScriptReader& reader);
bool ScriptAtEnd(const ScriptReader& reader);

// A script time in seconds as milliseconds: the seconds as a 32-bit float
// times the double 1000.0, truncated toward zero, kept inside the 32-bit range.
int32_t ScriptTimeToMilliseconds(const char* seconds);
// Whether the first n characters of a equal b, ignoring case.
bool ScriptKeyIs(const char* a, const char* b, int n);
