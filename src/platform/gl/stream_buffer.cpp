#include "platform/gl/stream_buffer.h"

#include <cstring>

namespace velmora::platform::gl {

namespace {

constexpr GLbitfield kPersistentFlags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;

GLintptr AlignUp(GLintptr offset, GLsizeiptr alignment) {
    return (offset + alignment - 1) / alignment * alignment;
}

}  // namespace

void StreamBuffer::Create(GLenum target, GLsizeiptr size, bool allowPersistent) {
    target_ = target;
    size_ = size;
    storage_ = allowPersistent &&
               (epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_buffer_storage"));
    Allocate();
}

void StreamBuffer::Allocate() {
    ++generation_;
    glGenBuffers(1, &buffer_);
    glBindBuffer(target_, buffer_);
    used_ = 0;
    sector_ = 0;
    mapped_ = nullptr;
    if (storage_) {
        glBufferStorage(target_, size_, nullptr, kPersistentFlags);
        mapped_ = static_cast<uint8_t*>(glMapBufferRange(target_, 0, size_, kPersistentFlags));
        if (mapped_) return;
        // Storage the driver cannot map for good: the orphaning path on a
        // buffer of its own, since immutable storage cannot be orphaned.
        storage_ = false;
        glDeleteBuffers(1, &buffer_);
        glGenBuffers(1, &buffer_);
        glBindBuffer(target_, buffer_);
    }
    glBufferData(target_, size_, nullptr, GL_STREAM_DRAW);
}

void StreamBuffer::DropFences() {
    for (GLsync& fence : fences_) {
        if (fence) glDeleteSync(fence);
        fence = nullptr;
    }
}

void StreamBuffer::Destroy() {
    DropFences();
    // Deleting a mapped buffer unmaps it.
    if (buffer_) glDeleteBuffers(1, &buffer_);
    buffer_ = 0;
    mapped_ = nullptr;
}

GLintptr StreamBuffer::Append(const void* data, GLsizeiptr bytes, GLsizeiptr alignment) {
    if (bytes < 0) bytes = 0;
    if (alignment <= 0) alignment = 1;
    return mapped_ ? AppendPersistent(data, bytes, alignment) : AppendOrphaning(data, bytes, alignment);
}

void StreamBuffer::EnterSector(int sector) {
    // The draws issued so far read the sector being left; the fence tells
    // when they are done with it.
    if (fences_[sector_]) glDeleteSync(fences_[sector_]);
    fences_[sector_] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (GLsync fence = fences_[sector]) {
        GLbitfield flags = GL_SYNC_FLUSH_COMMANDS_BIT;
        for (;;) {
            GLenum waited = glClientWaitSync(fence, flags, 1000000000);
            if (waited != GL_TIMEOUT_EXPIRED) break;  // signalled, or the wait failed
            flags = 0;
        }
        glDeleteSync(fence);
        fences_[sector] = nullptr;
    }
    sector_ = sector;
}

GLintptr StreamBuffer::AppendPersistent(const void* data, GLsizeiptr bytes, GLsizeiptr alignment) {
    GLsizeiptr sectorSize = size_ / kSectors;
    if (bytes + alignment > sectorSize) {
        // A draw bigger than a sector: a larger ring. The old buffer lives
        // on in the driver until the draws that read it are done.
        while (size_ / kSectors < bytes + alignment) size_ *= 2;
        Destroy();
        Allocate();
        if (!mapped_) return AppendOrphaning(data, bytes, alignment);
        sectorSize = size_ / kSectors;
    }
    GLintptr offset = AlignUp(used_, alignment);
    // Writes never straddle two sectors, so that a sector's fence covers
    // every draw that reads it.
    if (offset + bytes > static_cast<GLintptr>(sector_ + 1) * sectorSize) {
        int next = (sector_ + 1) % kSectors;
        EnterSector(next);
        offset = AlignUp(static_cast<GLintptr>(next) * sectorSize, alignment);
    }
    if (bytes > 0) std::memcpy(mapped_ + offset, data, static_cast<size_t>(bytes));
    used_ = offset + bytes;
    glBindBuffer(target_, buffer_);
    return offset;
}

GLintptr StreamBuffer::AppendOrphaning(const void* data, GLsizeiptr bytes, GLsizeiptr alignment) {
    glBindBuffer(target_, buffer_);
    if (bytes > size_) {
        while (size_ < bytes) size_ *= 2;
        glBufferData(target_, size_, nullptr, GL_STREAM_DRAW);
        used_ = 0;
    } else if (AlignUp(used_, alignment) + bytes > size_) {
        glBufferData(target_, size_, nullptr, GL_STREAM_DRAW);
        used_ = 0;
    }
    GLintptr offset = AlignUp(used_, alignment);
    if (bytes > 0) {
        void* target = glMapBufferRange(target_, offset, bytes,
                                        GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT |
                                            GL_MAP_UNSYNCHRONIZED_BIT);
        if (target) {
            std::memcpy(target, data, static_cast<size_t>(bytes));
            glUnmapBuffer(target_);
        } else {
            glBufferSubData(target_, offset, bytes, data);
        }
    }
    used_ = offset + bytes;
    return offset;
}

}  // namespace velmora::platform::gl
