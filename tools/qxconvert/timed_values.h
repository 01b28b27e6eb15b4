// Values keyed in time (animated fields of view and light colours), read at
// any time: linear between keys, held before the first and after the last.
#pragma once

#include <algorithm>
#include <vector>

#include "qxconvert/imported_scene.h"

namespace velmora::tools {

template <typename T>
T ValueAt(const std::vector<TimedValue<T>>& keys, double seconds, const T& otherwise) {
    if (keys.empty()) return otherwise;
    if (seconds <= keys.front().seconds) return keys.front().value;
    if (seconds >= keys.back().seconds) return keys.back().value;
    auto next = std::upper_bound(keys.begin(), keys.end(), seconds,
                                 [](double t, const TimedValue<T>& key) { return t < key.seconds; });
    auto before = next - 1;
    double span = next->seconds - before->seconds;
    float blend = span > 0.0 ? static_cast<float>((seconds - before->seconds) / span) : 0.0f;
    return before->value + (next->value - before->value) * blend;
}

}  // namespace velmora::tools
