// The benchmark's generated scene: about 50,000 triangles in 20 animated
// objects of two parts each, 4 animated point lights, and 2 cameras, the
// second drawn with a trail of 3 frames at half opacity.
#pragma once

#include <cstdint>
#include <vector>

#include "scene_builder/scene_builder.h"

namespace velmora::tools {

constexpr int32_t kBenchFrames = 120;

void BuildBenchScene(SceneBuilder& builder);

// The overdraw scene: two stacks of kOverdrawLayers opaque, lit, textured
// walls, each stack filling half the screen, so that every pixel is covered
// kOverdrawLayers times: the left stack's parts are drawn back to front, the
// right one's front to back, where a depth test made before shading skips
// all but the nearest wall. The walls sway a little, their vertices never
// change. textureName names a texture the cache holds (kOverdrawTexture).
constexpr int32_t kOverdrawLayers = 8;
constexpr const char* kOverdrawTexture = "overdraw.tga";
void BuildOverdrawScene(SceneBuilder& builder);

// The overdraw scene's texture: a 256 x 256 24-bit picture, rows from the
// top, blue-green-red bytes.
constexpr int kOverdrawTextureSide = 256;
std::vector<uint8_t> OverdrawTexturePixels();
// The same as an uncompressed TGA file, as the texture cache reads it.
std::vector<uint8_t> OverdrawTextureFile();

}  // namespace velmora::tools
