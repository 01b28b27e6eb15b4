// Small helpers that fill Direct3D structures: degree conversion, the
// perspective projection matrix, the identity matrix and the initialisers of
// surface descriptions and materials. All arithmetic is in 32-bit floats, and
// none touches a device.
#pragma once

#include "platform/ddraw/d3d.h"

float DegreesToRadians(float degrees);

// The left-handed perspective projection every scene and the set-up install:
// horizontal scale aspect x cot(fov / 2), vertical scale 1.3 x cot(fov / 2).
// The arguments are not checked: near equal to far, or a field of view of 0,
// divides by zero.
D3DMATRIX ProjectionMatrix(float fieldOfView, float aspect, float nearPlane, float farPlane);

D3DMATRIX* SetIdentityMatrix(D3DMATRIX* matrix);
void InitSurfaceDesc(DDSURFACEDESC2* description, DWORD flags, DWORD caps);
// Diffuse and ambient both (r, g, b, a); specular, emissive and power 0.
int InitMaterial(D3DMATERIAL7* material, float r, float g, float b, float a);
