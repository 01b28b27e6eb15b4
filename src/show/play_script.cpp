#include "show/play_script.h"

#include <cstdlib>

#include "app/engine_state.h"
#include "data/data_archive.h"
#include "diag/log.h"
#include "show/play_script_lines.h"
#include "show/script_line_ends.h"
#include "show/script_reader.h"

namespace {

ScriptLineWatch* lineWatch = nullptr;

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
    int lineNumber = 1;
    while (MemTell(file) < size) {
        int32_t lineStart = MemTell(file);
        if (lineWatch) lineWatch->LineBegins(*file, lineStart);
        const char* chunk = ScriptRead(reader, 5);
        WriteLogFormat("QXP:\t\t\t\tstart chunk ID read: %s,\tline number: %d", chunk, lineNumber);
        if (chunk[0] == '\'') {
            SkipComment(reader);
        } else if (ScriptKeyIs(chunk, "[Engi", 5)) {
            ScriptSkip(reader, 3);
            ReadEngineLine(reader);
        } else if (ScriptKeyIs(chunk, "[Musi", 5)) {
            ScriptSkip(reader, 2);
            ReadMusicLine(reader);
        } else if (ScriptKeyIs(chunk, "[QX3]", 5)) {
            ReadSceneLine(reader, device);
        }
        ++lineNumber;
        if (lineWatch) lineWatch->LineEnds(*file, MemTell(file));
        // A line must move the reader on; one that stepped back to where it
        // began (a comment cut short at the end) would be read for ever.
        if (MemTell(file) <= lineStart) break;
    }
    WriteLogFormat("QXP:\t\t\t\tdone reading %s", fileName);
    WriteLog("");
    MemClose(file);
    return 1;
}
