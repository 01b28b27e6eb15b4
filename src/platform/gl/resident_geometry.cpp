#include "platform/gl/resident_geometry.h"

#include <cstring>

namespace velmora::platform::gl {

void ResidentGeometry::Create(GLenum target, GLsizeiptr capacity) {
    target_ = target;
    capacity_ = capacity;
    ++generation_;
    glGenBuffers(1, &buffer_);
    glBindBuffer(target_, buffer_);
    glBufferData(target_, capacity_, nullptr, GL_STATIC_DRAW);
    used_ = 0;
}

void ResidentGeometry::Destroy() {
    if (buffer_) glDeleteBuffers(1, &buffer_);
    buffer_ = 0;
    entries_.clear();
}

void ResidentGeometry::Empty() {
    // A new store for the buffer: draws issued before still read the old one.
    entries_.clear();
    glBindBuffer(target_, buffer_);
    glBufferData(target_, capacity_, nullptr, GL_STATIC_DRAW);
    used_ = 0;
}

GLintptr ResidentGeometry::Place(const void* data, GLsizeiptr bytes, GLsizeiptr alignment, bool& sent) {
    sent = false;
    if (!buffer_ || !data || bytes <= 0 || alignment <= 0 || bytes + alignment > capacity_ / 4) return -1;
    const Key key{data, bytes, alignment};
    auto found = entries_.find(key);
    if (found != entries_.end()) {
        Entry& entry = found->second;
        if (entry.changes >= kChangesBeforeStreaming) return -1;
        if (std::memcmp(entry.copy.data(), data, static_cast<size_t>(bytes)) == 0) return entry.offset;
        // The same place with new bytes: sent again where they were; OpenGL
        // lets the draws made before read what they were given.
        ++entry.changes;
        if (entry.changes >= kChangesBeforeStreaming) {
            entry.copy.clear();
            entry.copy.shrink_to_fit();
            return -1;
        }
        std::memcpy(entry.copy.data(), data, static_cast<size_t>(bytes));
        glBindBuffer(target_, buffer_);
        glBufferSubData(target_, entry.offset, bytes, data);
        sent = true;
        return entry.offset;
    }
    GLintptr offset = (used_ + alignment - 1) / alignment * alignment;
    if (offset + bytes > capacity_) {
        Empty();
        offset = 0;
    }
    Entry entry;
    entry.offset = offset;
    entry.copy.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + bytes);
    entries_.emplace(key, std::move(entry));
    used_ = offset + bytes;
    glBindBuffer(target_, buffer_);
    glBufferSubData(target_, offset, bytes, data);
    sent = true;
    return offset;
}

}  // namespace velmora::platform::gl
