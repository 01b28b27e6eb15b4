// The three kinds of play-script line, each read from just after its chunk name.
#pragma once

#include "platform/ddraw/d3d.h"
#include "show/script_reader.h"

void ReadEngineLine(ScriptReader& reader);
void ReadMusicLine(ScriptReader& reader);
void ReadSceneLine(ScriptReader& reader, IDirect3DDevice7* device);

// A tag such as "[03]" as a 0-based index; "[00]" marks a count line.
int ScriptTagIndex(const char* tag);
// A count line's number: two characters, one-digit counts stepping back over
// the line end they swallowed. Never negative.
int ReadScriptCount(ScriptReader& reader);
