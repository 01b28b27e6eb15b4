// The play script's grammar, listed once: the chunk names that start a line
// and the keys of each chunk, with as many characters as the reader compares
// and how far it skips after them. The reader dispatches on this table and
// the script checker names lines from it, so neither can know a key the other
// does not.
#pragma once

#include <cstddef>

enum class ScriptChunk { Engine, Music, Scene };

enum class ScriptKey {
    LocalPath,
    Hold,
    MusicFileName,
    MusicPlay,
    MusicStop,
    SceneFileName,
    Camera,
    FramesPerSecond,
    Blur,
    Shade,
    Overlay,
    Backface,
    Load,
    Play,
    Stop,
    Unload,
    Order,
    PreLoad,
    Release,
};

// Every chunk name is five characters, compared ignoring case.
constexpr int kScriptChunkLength = 5;
// Every key is compared on its first six characters, ignoring case.
constexpr int kScriptKeyLength = 6;
// A line's tag, such as "[03]"; "[00]" marks a count line.
constexpr int kScriptTagLength = 4;

struct ScriptChunkName {
    ScriptChunk chunk;
    const char* compared;  // the five characters read
    int skipped;           // characters skipped after them
    bool tagged;           // a tag follows before the key
    const char* written;   // as a show maker writes it
};

struct ScriptKeyName {
    ScriptChunk chunk;
    ScriptKey key;
    const char* compared;  // the six characters read
    int skipped;           // characters skipped after them, before the line's values
    const char* written;   // as a show maker writes it
    bool timed;            // the line only puts an action on the timeline
};

// The chunk the five characters at text name; null for none (a comment's
// quote is no chunk).
const ScriptChunkName* FindScriptChunk(const char* text);
// The key of chunk the six characters at text name; null for none.
const ScriptKeyName* FindScriptKey(ScriptChunk chunk, const char* text);

// The whole table, for those that list it.
const ScriptChunkName* ScriptChunkNames(size_t* count);
const ScriptKeyName* ScriptKeyNames(size_t* count);
