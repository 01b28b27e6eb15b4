#include "texture/texture_cache.h"

// The image loaders are not built yet, so the cache never holds a texture:
// every creation fails as a load failure would, and every lookup misses.

TextureContainer* FindTexture(const char*) { return nullptr; }

HRESULT CreateTexture(const char* name, DWORD, DWORD) {
    if (!name) return E_INVALIDARG;
    return E_FAIL;
}

HRESULT RestoreTexture(const char*, LPDIRECT3DDEVICE7) { return TEXTURE_NOT_FOUND; }

HRESULT ReleaseTextureSurface(const char*) { return TEXTURE_NOT_FOUND; }

HRESULT DeleteTexture(const char*) { return 0; }

LPDIRECTDRAWSURFACE7 GetTextureSurface(const char*) { return nullptr; }

BOOL TextureHasAlpha(const char*) { return 0; }
