#include "show/play_script.h"

#include <cmath>
#include <cstdlib>

#include "data/data_archive.h"
#include "diag/log.h"
#include "show/play_script_lines.h"
#include "show/script_grammar.h"
#include "show/script_line_ends.h"
#include "show/script_reader.h"
#include "state/engine_state.h"

namespace {

ScriptLineWatch* lineWatch = nullptr;
// The node that holds the reader's last action; null outside a reading.
Action* lastScriptAction = nullptr;

// A comment line: back to its third character, then to the end of the line.
// Stepping back three lets comments shorter than a chunk name work.
void SkipComment(ScriptReader& reader) {
    ScriptSkip(reader, -3);
    for (;;) {
        char c = MemGetChar(reader.file);
        if (c == '\n') break;
        if (c == '\r') {
            ScriptSkip(reader, 1);
            break;
        }
    }
}

}  // namespace

void WatchScriptLines(ScriptLineWatch* watch) { lineWatch = watch; }

void AddScriptAction(int32_t time, int32_t type, float argument) {
    Action* placed =
        AddActionFrom(&actionList, lastScriptAction ? lastScriptAction : &actionList, time, type, argument);
    if (!placed) return;
    lastScriptAction = placed;
    if (lineWatch) lineWatch->ActionAdded(*placed);
}

bool ReadActionTime(const char* seconds, int32_t type, int32_t* time) {
    // Past the bound the clock would be clamped and the show would wait that
    // long for the action: weeks of black screen, or for ever.
    const float value = static_cast<float>(std::atof(seconds));
    const double milliseconds = static_cast<double>(value) * 1000.0;
    if (std::isnan(milliseconds) || milliseconds >= kLatestActionTime + 1.0) {
        WriteLogFormat("ERROR:\t\taction time of %f s refused (latest %.3f s), action type %d dropped",
                       static_cast<double>(value), kLatestActionTime / 1000.0, type);
        return false;
    }
    *time = ScriptTimeToMilliseconds(seconds);
    return true;
}

const ScriptKeyName* ReadScriptKey(ScriptReader& reader, ScriptChunk chunk) {
    const ScriptKeyName* key = FindScriptKey(chunk, ScriptRead(reader, kScriptKeyLength));
    if (key && key->skipped) ScriptSkip(reader, key->skipped);
    return key;
}

int ScriptTagIndex(const char* tag) { return std::atoi(tag + 1) - 1; }

int ReadScriptCount(ScriptReader& reader) {
    ScriptSkip(reader, 1);
    int count = std::atoi(ScriptRead(reader, 2));
    if (count < 10) ScriptSkip(reader, -1);
    ScriptSkip(reader, 2);
    return count < 0 ? 0 : count;
}

int ReadPlayScript(char* fileName, IDirect3DDevice7* device) {
    StripDataPath(fileName);
    MemoryFile* file = OpenDataFile(fileName);
    if (!file) return 0;
    ExpandLineFeeds(file);
    ScriptReader reader{file, {}};
    MemSeek(file, 0, 2);
    int32_t size = MemTell(file);
    MemSeek(file, 0, 0);
    frameCounter = 0;
    lastScriptAction = &actionList;
    int lineNumber = 1;
    while (MemTell(file) < size) {
        int32_t lineStart = MemTell(file);
        if (lineWatch) lineWatch->LineBegins(*file, lineStart);
        const char* chunk = ScriptRead(reader, kScriptChunkLength);
        WriteLogFormat("QXP:\t\t\t\tstart chunk ID read: %s,\tline number: %d", chunk, lineNumber);
        if (chunk[0] == '\'') {
            SkipComment(reader);
        } else if (const ScriptChunkName* known = FindScriptChunk(chunk)) {
            if (known->skipped) ScriptSkip(reader, known->skipped);
            switch (known->chunk) {
                case ScriptChunk::Engine: ReadEngineLine(reader); break;
                case ScriptChunk::Music: ReadMusicLine(reader); break;
                case ScriptChunk::Scene: ReadSceneLine(reader, device); break;
            }
        }
        ++lineNumber;
        if (lineWatch) lineWatch->LineEnds(*file, MemTell(file));
        // A line must move the reader on; one that stepped back to where it
        // began (a comment cut short at the end) would be read for ever.
        if (MemTell(file) <= lineStart) break;
    }
    lastScriptAction = nullptr;
    WriteLogFormat("QXP:\t\t\t\tdone reading %s", fileName);
    WriteLog("");
    MemClose(file);
    return 1;
}
