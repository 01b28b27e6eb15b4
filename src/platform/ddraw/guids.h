// The interface and device identifiers of DirectDraw 7 and Direct3D 7, with
// their documented values.
#pragma once

#include <cstring>

#include "platform/ddraw/com_base.h"

typedef const GUID& REFCLSID;

extern const GUID IID_IUnknown;
extern const GUID IID_IDirectDraw7;
extern const GUID IID_IDirectDrawSurface7;
extern const GUID IID_IDirect3D7;
extern const GUID IID_IDirect3DDevice7;
extern const GUID IID_IDirect3DRGBDevice;
extern const GUID IID_IDirect3DHALDevice;
extern const GUID IID_IDirect3DTnLHalDevice;

inline bool IsEqualGUID(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
