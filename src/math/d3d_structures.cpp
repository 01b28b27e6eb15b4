#include "math/d3d_structures.h"

#include <cmath>
#include <cstring>

#include "platform/ddraw/ddraw.h"

float DegreesToRadians(float degrees) { return static_cast<float>(degrees / 57.29577951308); }

D3DMATRIX ProjectionMatrix(float fieldOfView, float aspect, float nearPlane, float farPlane) {
    // Sine and cosine in double precision, each stored as float.
    float half = fieldOfView / 2.0f;
    float cosine = static_cast<float>(std::cos(static_cast<double>(half)));
    float sine = static_cast<float>(std::sin(static_cast<double>(half)));
    float c = cosine / sine;

    D3DMATRIX matrix;
    std::memset(&matrix, 0, sizeof matrix);
    matrix._11 = aspect * c;
    matrix._22 = static_cast<float>(c * 1.3);
    float q = farPlane / (farPlane - nearPlane);
    matrix._33 = q;
    matrix._34 = 1.0f;
    matrix._43 = -q * nearPlane;
    return matrix;
}

D3DMATRIX* SetIdentityMatrix(D3DMATRIX* matrix) {
    std::memset(matrix, 0, sizeof *matrix);
    matrix->_11 = matrix->_22 = matrix->_33 = matrix->_44 = 1.0f;
    return matrix;
}

void InitSurfaceDesc(DDSURFACEDESC2* description, DWORD flags, DWORD caps) {
    std::memset(description, 0, sizeof *description);
    description->dwSize = kSurfaceDescSize;
    description->dwFlags = flags;
    description->ddsCaps.dwCaps = caps;
    description->ddpfPixelFormat.dwSize = kPixelFormatSize;
}

int InitMaterial(D3DMATERIAL7* material, float r, float g, float b, float a) {
    std::memset(material, 0, sizeof *material);
    material->diffuse.r = material->ambient.r = r;
    material->diffuse.g = material->ambient.g = g;
    material->diffuse.b = material->ambient.b = b;
    material->diffuse.a = material->ambient.a = a;
    return 0;
}
