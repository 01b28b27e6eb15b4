// The named texture cache (interim declarations).
#pragma once

#include "platform/ddraw/d3d.h"

HRESULT RestoreTexture(const char* name, IDirect3DDevice7* device);
HRESULT ReleaseTextureSurface(const char* name);
HRESULT DeleteTexture(const char* name);
IDirectDrawSurface7* GetTextureSurface(const char* name);
