// The input of the visibility fuzz target: a few bytes that give the shape of
// a scene (cameras, frames, objects and their parts), then the visibility
// file for it. Shared by the target and the seed maker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::fuzzing {

struct VisibilityShape {
    int32_t cameraCount = 0;
    int32_t frameCount = 1;
    std::vector<int32_t> partCounts;  // one per object
};

constexpr int32_t kMaxFuzzCameras = 4;
constexpr int32_t kMaxFuzzFrames = 8;
constexpr int32_t kMaxFuzzObjects = 6;
constexpr int32_t kMaxFuzzParts = 20;

// Reads the shape from the front of data; returns the bytes it took, or 0
// when data is too short.
inline size_t ReadVisibilityShape(const uint8_t* data, size_t size, VisibilityShape* shape) {
    if (size < 3) return 0;
    shape->cameraCount = data[0] % kMaxFuzzCameras;
    shape->frameCount = data[1] % kMaxFuzzFrames + 1;
    int32_t objects = data[2] % kMaxFuzzObjects;
    if (size < 3 + static_cast<size_t>(objects)) return 0;
    shape->partCounts.clear();
    for (int32_t o = 0; o < objects; ++o) shape->partCounts.push_back(data[3 + o] % kMaxFuzzParts);
    return 3 + static_cast<size_t>(objects);
}

inline std::vector<uint8_t> VisibilityShapeBytes(const VisibilityShape& shape) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(shape.cameraCount),
                                  static_cast<uint8_t>(shape.frameCount - 1),
                                  static_cast<uint8_t>(shape.partCounts.size())};
    for (int32_t parts : shape.partCounts) bytes.push_back(static_cast<uint8_t>(parts));
    return bytes;
}

}  // namespace velmora::fuzzing
