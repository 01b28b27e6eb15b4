#include "platform/ddraw/matrix_math.h"

#include <cmath>
#include <cstring>

namespace velmora::platform::ddraw {

void MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b, float out[16]) {
    const float* x = &a._11;
    const float* y = &b._11;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += x[row * 4 + k] * y[k * 4 + column];
            out[row * 4 + column] = sum;
        }
}

void NormalMatrix(const float m[16], float out[9]) {
    float a = m[0], b = m[1], c = m[2];
    float d = m[4], e = m[5], f = m[6];
    float g = m[8], h = m[9], i = m[10];
    float cofactor[9] = {e * i - f * h, f * g - d * i, d * h - e * g,
                         c * h - b * i, a * i - c * g, b * g - a * h,
                         b * f - c * e, c * d - a * f, a * e - b * d};
    float determinant = a * cofactor[0] + b * cofactor[1] + c * cofactor[2];
    if (determinant == 0.0f || !std::isfinite(determinant)) {
        std::memset(out, 0, sizeof(float) * 9);
        return;
    }
    // The cofactor matrix divided by the determinant is the inverse transposed.
    for (int k = 0; k < 9; ++k) out[k] = cofactor[k] / determinant;
}

}  // namespace velmora::platform::ddraw
