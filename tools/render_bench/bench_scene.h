// The benchmark's generated scene: about 50,000 triangles in 20 animated
// objects of two parts each, 4 animated point lights, and 2 cameras, the
// second drawn with a trail of 3 frames at half opacity.
#pragma once

#include "scene_builder/scene_builder.h"

namespace velmora::tools {

constexpr int32_t kBenchFrames = 120;

void BuildBenchScene(SceneBuilder& builder);

}  // namespace velmora::tools
