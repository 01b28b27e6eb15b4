// The play script's lines as the checker sees them: where each line of the
// text starts and ends, and what the bytes at the reader's position name in
// the engine's grammar (src/show/script_grammar.h): a comment, a chunk, a
// count line or a key, and where the line's values begin.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/memory_file.h"
#include "show/script_grammar.h"

namespace velmora::tools {

// One line of the text as the reader sees it: where it starts, where its line
// end starts and where the next line starts.
struct TextLine {
    int32_t start = 0;
    int32_t contentEnd = 0;
    int32_t next = 0;
    bool lfAlone = false;  // ended by LF with no CR before it
};

std::vector<TextLine> SplitLines(const uint8_t* data, int32_t size);

// What the bytes at a line's start name: the chunk and key the reader compares.
struct LineKind {
    std::string name;     // as a show maker writes it, e.g. "[QX3][Camera]"
    bool comment = false;
    bool knownChunk = false;
    bool knownKey = false;
    bool count = false;   // a "[00]" count line
    int32_t valueAt = 0;  // where a count line's digits or a key's values begin
    int index = -1;       // the 0-based scene or track a line names
    std::string chunk, key;             // the characters compared
    const ScriptChunkName* chunkName = nullptr;
    const ScriptKeyName* keyName = nullptr;  // null for a count line or an unknown key

    bool Is(ScriptChunk c, ScriptKey k) const { return keyName && keyName->chunk == c && keyName->key == k; }
};

LineKind Classify(const MemoryFile& file, int32_t start);

// Whether the line, as the reader takes it, may change a scene: anything but a
// comment, an engine or music line and the scene chunk's timed keys.
bool MayChangeScenes(const LineKind& kind);

// A camera line's values, read from valueAt with the reader's own word rules.
struct CameraLineValues {
    int64_t begin = 0, end = 0, fadeIn = 0, fadeOut = 0;
    std::string camera;
};
CameraLineValues ReadCameraValues(const MemoryFile& file, int32_t valueAt);

// Printable form of characters the reader took, for messages.
std::string Shown(const std::string& s);

}  // namespace velmora::tools
