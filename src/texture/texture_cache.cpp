#include "texture/texture_cache.h"

HRESULT RestoreTexture(const char*, IDirect3DDevice7*) { return static_cast<HRESULT>(0x887600FF); }
HRESULT ReleaseTextureSurface(const char*) { return static_cast<HRESULT>(0x887600FF); }
HRESULT DeleteTexture(const char*) { return 0; }
IDirectDrawSurface7* GetTextureSurface(const char*) { return nullptr; }
