#include "texture/texture_cache.h"

#include <cstring>
#include <new>
#include <strings.h>

#include "texture/texture_container.h"

TextureContainer* FindTexture(const char* name) {
    if (!name) return nullptr;
    for (TextureContainer* texture = textureList; texture; texture = texture->pNext)
        if (strcasecmp(texture->strName, name) == 0) return texture;
    return nullptr;
}

HRESULT CreateTexture(const char* name, DWORD stage, DWORD) {
    if (!name) return E_INVALIDARG;
    if (FindTexture(name)) return 0;
    // A name that strName cannot hold whole is refused, not cut short.
    if (std::strlen(name) >= static_cast<size_t>(kTextureNameSize)) return E_FAIL;
    TextureContainer* texture = new (std::nothrow) TextureContainer(name, stage);
    if (!texture) return E_OUTOFMEMORY;
    if (FAILED(texture->LoadImageData())) {
        delete texture;
        return E_FAIL;
    }
    return 0;
}

HRESULT RestoreTexture(const char* name, LPDIRECT3DDEVICE7 device) {
    TextureContainer* texture = FindTexture(name);
    if (!texture) return TEXTURE_NOT_FOUND;
    return texture->Restore(device);
}

HRESULT ReleaseTextureSurface(const char* name) {
    TextureContainer* texture = FindTexture(name);
    if (!texture) return TEXTURE_NOT_FOUND;
    if (texture->pddsTexture) texture->pddsTexture->Release();
    texture->pddsTexture = nullptr;
    return 0;
}

HRESULT DeleteTexture(const char* name) {
    delete FindTexture(name);
    return 0;
}

LPDIRECTDRAWSURFACE7 GetTextureSurface(const char* name) {
    TextureContainer* texture = FindTexture(name);
    return texture ? texture->pddsTexture : nullptr;
}

BOOL TextureHasAlpha(const char* name) {
    TextureContainer* texture = FindTexture(name);
    return texture ? texture->bAlpha : 0;
}
