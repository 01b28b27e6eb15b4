#include "render/projection.h"

#include "math/d3d_structures.h"
#include "render/display.h"

HRESULT SetProjection(float fieldOfView, float aspect, float nearPlane, float farPlane) {
    D3DMATRIX matrix = ProjectionMatrix(fieldOfView, aspect, nearPlane, farPlane);
    if (!d3dDevice) return E_FAIL;
    return d3dDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &matrix);
}
