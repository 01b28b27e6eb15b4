// Whether every fragment of a draw leaves the fixed-function program with
// alpha exactly 1. Blending by source alpha and its inverse then gives the
// source colour itself, and the back end can leave blending off for the
// draw: the same pixels without reading the back buffer for each of them.
#pragma once

#include "platform/backend/render_device.h"

namespace velmora::platform::gl {

// vertexDiffuse: the vertices carry a diffuse colour; textureOpaque: the
// texture bound has no alpha (or no texture is bound, which reads white).
bool FragmentAlphaIsOne(const DrawState& state, bool vertexDiffuse, bool textureOpaque);

// The raster state as OpenGL is to be given it: blending by source alpha
// and its inverse left off where the fragments' alpha is 1.
RasterState EffectiveRaster(const DrawState& state, bool vertexDiffuse, bool textureOpaque);

}  // namespace velmora::platform::gl
