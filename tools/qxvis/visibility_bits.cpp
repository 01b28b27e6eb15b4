#include "qxvis/visibility_bits.h"

namespace velmora::tools {

VisibilityBits::VisibilityBits(const Scene& scene) : frameCount_(scene.frameCount) {
    for (int32_t o = 0; o < scene.objectCount; ++o) {
        objectOffsets_.push_back(frameBytes_);
        frameBytes_ += VisibilityBytes(scene.objects[o].partCount);
    }
    int64_t total = static_cast<int64_t>(scene.cameraCount) * scene.frameCount * frameBytes_;
    bytes_.assign(static_cast<size_t>(total > 0 ? total : 0), 0);
}

int64_t VisibilityBits::Offset(int32_t c, int32_t f, int32_t o) const {
    return (static_cast<int64_t>(c) * frameCount_ + f) * frameBytes_ + objectOffsets_[o];
}

void VisibilityBits::Set(int32_t c, int32_t f, int32_t o, int32_t part) {
    bytes_[Offset(c, f, o) + part / 8] |= static_cast<uint8_t>(1u << (part % 8));
}

bool VisibilityBits::Get(int32_t c, int32_t f, int32_t o, int32_t part) const {
    return (bytes_[Offset(c, f, o) + part / 8] >> (part % 8)) & 1;
}

}  // namespace velmora::tools
