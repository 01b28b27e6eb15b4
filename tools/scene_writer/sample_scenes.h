// Sample scene descriptions: small scenes that hold every kind of node, for
// show makers to start from and for the tests and fuzz seeds.
#pragma once

#include "scene_writer/scene_writer.h"

namespace velmora::tools {

// Three frames; draw styles opaque, translucent and untextured; a static cube,
// an animated object of three parts; two cameras; point and spot lights of
// every attenuation kind, static and animated; shape and helper nodes; the
// nodes in mixed order.
SceneDescription EveryNodeScene();

// One frame, one cube, one camera, one light.
SceneDescription OneFrameScene();

// The example show's scene, cube.QX3: 90 frames of the object "Cube", one
// turn about the vertical axis, tilted towards the camera "Camera01", with the
// textured draw style cube.bmp and one white point light.
SceneDescription ExampleShowScene();

// The example show's play script, lines ended by CR LF; the show guide
// (docs/show-format.md) prints the same lines.
std::string ExampleShowScript();

// The example show's texture: a 64 x 64 chequered 24-bit BMP.
std::vector<uint8_t> ExampleTextureBytes();

// Rooms one behind the other, each wall with a doorway, and in every room a
// grid of columns of stacked boxes (eight parts each) and a glass pane; a
// camera walks towards the first doorway over 30 frames, turning a little.
// Most parts are hidden behind walls or outside the view: the scene the
// visibility generator is measured on.
SceneDescription WallsScene();

// Visibility of EveryNodeScene's parts that varies with camera, frame and part.
bool SampleVisibility(int32_t c, int32_t f, int32_t o, int32_t p);

}  // namespace velmora::tools
