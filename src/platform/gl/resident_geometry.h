// Vertex and index data that OpenGL keeps between draws. The engine hands
// its arrays over anew at every draw, most of them the same bytes frame
// after frame (a part whose matrix alone moves). Each array seen is kept in
// one buffer, keyed by where it lies in the caller's memory, with a copy of
// its bytes: a draw that hands over the same bytes again draws from the
// buffer; bytes that changed are sent again in place, so nothing drawn is
// ever stale. An array that keeps changing is handed back to the stream.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace velmora::platform::gl {

class ResidentGeometry {
public:
    // capacity: the bytes the buffer may hold before it is emptied and
    // filled again.
    void Create(GLenum target, GLsizeiptr capacity);
    void Destroy();
    GLuint buffer() const { return buffer_; }
    // Counts the buffers made (a name can come back after a delete).
    uint64_t generation() const { return generation_; }
    // Where the bytes lie in the buffer (a multiple of alignment), sent or
    // sent again when needed and the buffer left bound to its target; -1
    // when they are to be streamed instead (they keep changing, or do not fit).
    // sent tells whether they were copied to OpenGL this time.
    GLintptr Place(const void* data, GLsizeiptr bytes, GLsizeiptr alignment, bool& sent);

private:
    struct Key {
        const void* data;
        GLsizeiptr bytes;
        GLsizeiptr alignment;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<const void*>()(k.data) ^ (static_cast<size_t>(k.bytes) * 0x9E3779B97F4A7C15ull) ^
                   static_cast<size_t>(k.alignment);
        }
    };
    struct Entry {
        GLintptr offset;
        std::vector<uint8_t> copy;
        int changes = 0;
    };
    // An array whose bytes changed this many times is streamed from then on.
    static constexpr int kChangesBeforeStreaming = 3;

    void Empty();

    GLenum target_ = GL_ARRAY_BUFFER;
    GLuint buffer_ = 0;
    GLsizeiptr capacity_ = 0;
    GLintptr used_ = 0;
    uint64_t generation_ = 0;
    std::unordered_map<Key, Entry, KeyHash> entries_;
};

}  // namespace velmora::platform::gl
