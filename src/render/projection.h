// The projection of the display in use.
#pragma once

#include "platform/ddraw/d3d.h"

// Installs ProjectionMatrix on d3dDevice; the device's result, E_FAIL without a device.
HRESULT SetProjection(float fieldOfView, float aspect, float nearPlane, float farPlane);
