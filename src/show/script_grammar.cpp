#include "show/script_grammar.h"

#include <iterator>

#include "show/script_reader.h"

namespace {

constexpr ScriptChunkName kChunks[] = {
    {ScriptChunk::Engine, "[Engi", 3, false, "[Engine]"},
    {ScriptChunk::Music, "[Musi", 2, true, "[Music]"},
    {ScriptChunk::Scene, "[QX3]", 0, true, "[QX3]"},
};

// In the order the reader tries them. The skips take a key's remaining
// characters and the blank after it; a load line has no value, so its skip
// takes the line end. Timed keys only add an action.
constexpr ScriptKeyName kKeys[] = {
    {ScriptChunk::Engine, ScriptKey::LocalPath, "[Local", 7, "[Local path]", false},
    {ScriptChunk::Engine, ScriptKey::Hold, "[Hold]", 1, "[Hold]", true},
    {ScriptChunk::Music, ScriptKey::MusicFileName, "[Filen", 5, "[Filename]", false},
    {ScriptChunk::Music, ScriptKey::MusicPlay, "[Play]", 1, "[Play]", true},
    {ScriptChunk::Music, ScriptKey::MusicStop, "[Stop]", 1, "[Stop]", true},
    {ScriptChunk::Scene, ScriptKey::SceneFileName, "[Filen", 5, "[Filename]", false},
    {ScriptChunk::Scene, ScriptKey::Camera, "[Camer", 3, "[Camera]", false},
    {ScriptChunk::Scene, ScriptKey::FramesPerSecond, "[FPS] ", 0, "[FPS]", false},
    {ScriptChunk::Scene, ScriptKey::Blur, "[Blur]", 1, "[Blur]", false},
    {ScriptChunk::Scene, ScriptKey::Shade, "[Shade", 2, "[Shade]", false},
    {ScriptChunk::Scene, ScriptKey::Overlay, "[Overl", 4, "[Overlay]", false},
    {ScriptChunk::Scene, ScriptKey::Backface, "[Backf", 5, "[Backface]", false},
    {ScriptChunk::Scene, ScriptKey::Load, "[Load]", 2, "[Load]", false},
    {ScriptChunk::Scene, ScriptKey::Play, "[Play]", 1, "[Play]", true},
    {ScriptChunk::Scene, ScriptKey::Stop, "[Stop]", 1, "[Stop]", true},
    {ScriptChunk::Scene, ScriptKey::Unload, "[Unloa", 3, "[Unload]", true},
    {ScriptChunk::Scene, ScriptKey::Order, "[Order", 2, "[Order]", false},
    {ScriptChunk::Scene, ScriptKey::PreLoad, "[PreLo", 4, "[PreLoad]", true},
    {ScriptChunk::Scene, ScriptKey::Release, "[Relea", 4, "[Release]", true},
};

}  // namespace

const ScriptChunkName* FindScriptChunk(const char* text) {
    for (const ScriptChunkName& chunk : kChunks)
        if (ScriptKeyIs(text, chunk.compared, kScriptChunkLength)) return &chunk;
    return nullptr;
}

const ScriptKeyName* FindScriptKey(ScriptChunk chunk, const char* text) {
    for (const ScriptKeyName& key : kKeys)
        if (key.chunk == chunk && ScriptKeyIs(text, key.compared, kScriptKeyLength)) return &key;
    return nullptr;
}

const ScriptChunkName* ScriptChunkNames(size_t* count) {
    *count = std::size(kChunks);
    return kChunks;
}

const ScriptKeyName* ScriptKeyNames(size_t* count) {
    *count = std::size(kKeys);
    return kKeys;
}
