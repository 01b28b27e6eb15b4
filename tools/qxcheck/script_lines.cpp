#include "qxcheck/script_lines.h"

#include <cstdio>
#include <cstdlib>

#include "show/script_reader.h"

namespace velmora::tools {

std::vector<TextLine> SplitLines(const uint8_t* data, int32_t size) {
    std::vector<TextLine> lines;
    int32_t start = 0;
    for (int32_t i = 0; i < size; ++i) {
        if (data[i] != '\n') continue;
        bool cr = i > start && data[i - 1] == '\r';
        lines.push_back({start, cr ? i - 1 : i, i + 1, !cr});
        start = i + 1;
    }
    if (start < size) lines.push_back({start, size, size, false});
    return lines;
}

LineKind Classify(const MemoryFile& file, int32_t start) {
    auto at = [&](int32_t offset, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            int64_t p = static_cast<int64_t>(start) + offset + i;
            s += p < file.size ? static_cast<char>(file.data[p]) : '\0';
        }
        return s;
    };
    LineKind kind;
    kind.chunk = at(0, kScriptChunkLength);
    if (kind.chunk[0] == '\'') {
        kind.comment = kind.knownChunk = kind.knownKey = true;
        kind.name = "comment";
        return kind;
    }
    const ScriptChunkName* chunk = FindScriptChunk(kind.chunk.c_str());
    if (!chunk) return kind;
    kind.chunkName = chunk;
    kind.knownChunk = true;
    kind.name = chunk->written;
    int32_t keyAt = kScriptChunkLength + chunk->skipped;
    if (chunk->tagged) {
        const std::string tag = at(keyAt, kScriptTagLength);
        kind.index = std::atoi(tag.c_str() + 1) - 1;
        if (tag == "[00]") {
            kind.count = kind.knownKey = true;
            kind.valueAt = start + keyAt + kScriptTagLength + 1;
            kind.name += tag;
            return kind;
        }
        keyAt += kScriptTagLength;
    }
    kind.key = at(keyAt, kScriptKeyLength);
    if (const ScriptKeyName* key = FindScriptKey(chunk->chunk, kind.key.c_str())) {
        kind.keyName = key;
        kind.knownKey = true;
        kind.name += key->written;
        kind.valueAt = start + keyAt + kScriptKeyLength + key->skipped;
    }
    return kind;
}

bool MayChangeScenes(const LineKind& kind) {
    if (kind.comment) return false;
    if (!kind.chunkName || !kind.knownKey) return true;
    if (kind.chunkName->chunk != ScriptChunk::Scene) return false;
    return kind.count || !kind.keyName->timed;
}

CameraLineValues ReadCameraValues(const MemoryFile& file, int32_t valueAt) {
    // A cursor of its own on the same bytes, so that the words are taken
    // exactly as the reader takes them.
    MemoryFile cursor = file;
    cursor.position = valueAt < 0 ? 0 : valueAt > file.size ? file.size : valueAt;
    ScriptReader reader{&cursor, {}};
    CameraLineValues values;
    values.begin = std::atoi(ScriptWord(reader));
    values.end = std::atoi(ScriptWord(reader));
    values.camera = ScriptWord(reader);
    values.fadeIn = std::atoi(ScriptWord(reader));
    values.fadeOut = std::atoi(ScriptWord(reader));
    return values;
}

std::string Shown(const std::string& s) {
    std::string shown;
    for (char c : s) {
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\0') {
            shown += "(end)";
        } else if (static_cast<unsigned char>(c) < 32) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", c & 0xff);
            shown += code;
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace velmora::tools
