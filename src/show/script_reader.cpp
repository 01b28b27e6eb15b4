#include "show/script_reader.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void Clear(ScriptReader& reader) { std::memset(reader.text, 0, sizeof reader.text); }

// Appends one character, cutting a word that would overflow the buffer.
void Append(ScriptReader& reader, int& length, char c) {
    if (length < kScriptTextSize - 1) reader.text[length++] = c;
}

}  // namespace

bool ScriptAtEnd(const ScriptReader& reader) {
    return reader.file->position >= reader.file->size;
}

const char* ScriptRead(ScriptReader& reader, int n) {
    Clear(reader);
    if (n > kScriptTextSize - 1) n = kScriptTextSize - 1;
    if (n > 0) MemRead(reader.text, n, reader.file);
    return reader.text;
}

void ScriptSkip(ScriptReader& reader, int n) { MemSeek(reader.file, n, 1); }

const char* ScriptWord(ScriptReader& reader) {
    Clear(reader);
    int length = 0;
    // The end of the data ends a word too: there the memory file would answer
    // CR for ever and no blank would come.
    while (!ScriptAtEnd(reader)) {
        char c = MemGetChar(reader.file);
        if (c == ' ') break;
        Append(reader, length, c);
    }
    return reader.text;
}

const char* ScriptLastWord(ScriptReader& reader, char* terminator) {
    Clear(reader);
    int length = 0;
    char c;
    for (;;) {
        c = MemGetChar(reader.file);
        if (c == ' ' || c == '\n' || c == '\r') break;
        Append(reader, length, c);
    }
    if (c == '\r') ScriptSkip(reader, 1);
    if (terminator) *terminator = c;
    return reader.text;
}

int ScriptFlag(ScriptReader& reader) {
    char c = MemGetChar(reader.file);
    if (c == 'T' || c == 't') {
        ScriptSkip(reader, 5);
        return 1;
    }
    ScriptSkip(reader, 6);
    return 0;
}

char* ScriptRestOfLine(ScriptReader& reader) {
    char* line = nullptr;
    MemReadLine(reader.file, &line);
    return line;
}

int32_t ScriptTimeToMilliseconds(const char* seconds) {
    // As C evaluates (int)(time * 1000.0) for a float time: the float is
    // widened and multiplied by the double constant, so 0.7f gives 699.
    const float time = static_cast<float>(std::atof(seconds));
    const double milliseconds = static_cast<double>(time) * 1000.0;
    if (std::isnan(milliseconds)) return 0;
    if (milliseconds >= 2147483647.0) return 2147483647;
    if (milliseconds <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(milliseconds);
}

bool ScriptKeyIs(const char* a, const char* b, int n) { return strncasecmp(a, b, n) == 0; }
