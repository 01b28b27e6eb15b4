// The bytes of a visibility file held in memory: cameras in file order, then
// frames, then objects, one bit per part, part k in bit k mod 8 of byte k / 8.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/scene.h"

namespace velmora::tools {

class VisibilityBits {
public:
    // All bits clear, sized for the scene.
    explicit VisibilityBits(const Scene& scene);

    // Offset in the file of the bytes of object o in frame f of camera c.
    int64_t Offset(int32_t c, int32_t f, int32_t o) const;
    void Set(int32_t c, int32_t f, int32_t o, int32_t part);
    bool Get(int32_t c, int32_t f, int32_t o, int32_t part) const;
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // Bytes of one frame of one camera (every object's bit arrays together).
    int64_t frameBytes() const { return frameBytes_; }

private:
    std::vector<int64_t> objectOffsets_;  // within a frame
    int64_t frameBytes_ = 0;
    int32_t frameCount_ = 0;
    std::vector<uint8_t> bytes_;
};

}  // namespace velmora::tools
