// The matrix arithmetic that turns Direct3D transforms into what the drawing
// back end's fixed-function program takes. Shared with the rendering benchmark
// so that its plain-OpenGL side feeds the program the very same numbers, and
// the identity with the scene tools. Only the header is needed for the identity.
#pragma once

#include "platform/ddraw/d3dtypes.h"

namespace velmora::platform::ddraw {

constexpr D3DMATRIX IdentityMatrix() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}
// a x b for row vectors, (v x a) x b, as 16 floats row-major.
void MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b, float out[16]);
// The inverse transpose of the upper 3 x 3 of m, row-major; zero when m is singular.
void NormalMatrix(const float m[16], float out[9]);

}  // namespace velmora::platform::ddraw
