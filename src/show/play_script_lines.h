// The three kinds of play-script line, each read from just after its chunk name.
#pragma once

#include <cstdint>

#include "platform/ddraw/d3d.h"
#include "show/script_grammar.h"
#include "show/script_reader.h"

void ReadEngineLine(ScriptReader& reader);
void ReadMusicLine(ScriptReader& reader);
void ReadSceneLine(ScriptReader& reader, IDirect3DDevice7* device);

// The key of chunk the next six characters name, with the characters after
// it skipped up to the line's values; null for a key the chunk does not have.
const ScriptKeyName* ReadScriptKey(ScriptReader& reader, ScriptChunk chunk);
// A tag such as "[03]" as a 0-based index; "[00]" marks a count line.
int ScriptTagIndex(const char* tag);
// The action of a timed line, put on actionList. Times mostly come in order,
// so each insertion starts where the one before went.
void AddScriptAction(int32_t time, int32_t type, float argument);
// A timed line's time in whole milliseconds; false, with the refusal logged
// and the line's action dropped, for one past kLatestActionTime or not a number.
bool ReadActionTime(const char* seconds, int32_t type, int32_t* time);

// A count line's number: two characters, one-digit counts stepping back over
// the line end they swallowed. Never negative.
int ReadScriptCount(ScriptReader& reader);
