// The named texture cache: one texture per name, names compared without
// regard to case. Scenes refer to textures only by these names.
#pragma once

#include "platform/ddraw/d3d.h"

class TextureContainer;

// The cache's code for a name it does not hold.
#define TEXTURE_NOT_FOUND DDERR_NOTFOUND

TextureContainer* FindTexture(const char* name);
// Creates and decodes the named texture unless the cache holds it already;
// 0 when the texture is there afterwards, a negative code otherwise.
HRESULT CreateTexture(const char* name, DWORD stage, DWORD flags);
// (Re)creates the texture's surface on the device.
HRESULT RestoreTexture(const char* name, LPDIRECT3DDEVICE7 device);
// Drops the texture's surface and keeps its decoded pixels.
HRESULT ReleaseTextureSurface(const char* name);
// Destroys the named texture; a missing name is no error. Always 0.
HRESULT DeleteTexture(const char* name);
// The texture's surface, or null.
LPDIRECTDRAWSURFACE7 GetTextureSurface(const char* name);
// 1 when the named texture carries alpha, 0 otherwise or when it is missing.
BOOL TextureHasAlpha(const char* name);
