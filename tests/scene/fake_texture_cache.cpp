#include "scene/fake_texture_cache.h"

#include "texture/texture_cache.h"

namespace velmora::testing {

FakeTextureCache fakeTextures;

void ResetFakeTextures() { fakeTextures = FakeTextureCache{}; }

}  // namespace velmora::testing

using velmora::testing::fakeTextures;

TextureContainer* FindTexture(const char*) { return nullptr; }

HRESULT CreateTexture(const char* name, DWORD stage, DWORD flags) {
    fakeTextures.calls.push_back("CreateTexture " + std::string(name) + " " +
                                 std::to_string(stage) + " " + std::to_string(flags));
    return fakeTextures.missing.count(name) ? E_FAIL : 0;
}

HRESULT RestoreTexture(const char* name, LPDIRECT3DDEVICE7) {
    fakeTextures.calls.push_back("RestoreTexture " + std::string(name));
    return 0;
}

HRESULT ReleaseTextureSurface(const char* name) {
    fakeTextures.calls.push_back("ReleaseTextureSurface " + std::string(name));
    return 0;
}

HRESULT DeleteTexture(const char* name) {
    fakeTextures.calls.push_back("DeleteTexture " + std::string(name));
    return 0;
}

LPDIRECTDRAWSURFACE7 GetTextureSurface(const char*) { return nullptr; }

BOOL TextureHasAlpha(const char* name) {
    fakeTextures.calls.push_back("TextureHasAlpha " + std::string(name));
    auto found = fakeTextures.hasAlpha.find(name);
    return found == fakeTextures.hasAlpha.end() ? 0 : found->second;
}
