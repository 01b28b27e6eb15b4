// The buffers that carry each draw's vertices and indices to OpenGL. The
// engine hands over its arrays anew for every draw, so nothing is kept
// between draws: each byte is copied once, straight into memory the driver
// reads, and a region is written again only when the draws that read it are
// done.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

namespace velmora::platform::gl {

class StreamBuffer {
public:
    // Makes the buffer; where the driver offers buffer storage it is mapped
    // once for good (a ring guarded by fences), otherwise every copy maps an
    // unsynchronised range and a full buffer is orphaned. allowPersistent
    // false takes the second way whatever the driver offers.
    void Create(GLenum target, GLsizeiptr size, bool allowPersistent = true);
    void Destroy();
    GLuint buffer() const { return buffer_; }
    // Counts the buffers made: a buffer name can come back after a delete,
    // so what points into the buffer compares this instead.
    uint64_t generation() const { return generation_; }
    bool persistent() const { return mapped_ != nullptr; }
    // Copies bytes in at an offset that is a multiple of alignment (any
    // positive number: a vertex stride, say), leaves the buffer bound to its
    // target and returns the offset.
    GLintptr Append(const void* data, GLsizeiptr bytes, GLsizeiptr alignment = 64);

private:
    // The ring is cut into this many sectors; a fence put down when the
    // writes leave a sector is waited for before they come back into it.
    static constexpr int kSectors = 4;

    void Allocate();
    GLintptr AppendPersistent(const void* data, GLsizeiptr bytes, GLsizeiptr alignment);
    GLintptr AppendOrphaning(const void* data, GLsizeiptr bytes, GLsizeiptr alignment);
    void EnterSector(int sector);
    void DropFences();

    GLenum target_ = GL_ARRAY_BUFFER;
    GLuint buffer_ = 0;
    GLsizeiptr size_ = 0;
    GLintptr used_ = 0;
    bool storage_ = false;        // the driver offers immutable, persistently mapped storage
    uint8_t* mapped_ = nullptr;   // the persistent mapping, when there is one
    int sector_ = 0;
    uint64_t generation_ = 0;
    GLsync fences_[kSectors] = {};
};

}  // namespace velmora::platform::gl
