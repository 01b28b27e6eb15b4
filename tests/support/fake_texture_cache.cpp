#include "support/fake_texture_cache.h"

#include <cctype>

#include "texture/texture_cache.h"
#include "texture/texture_container.h"

// The low-detail switch lives with the real texture container, which these tests leave out.
int32_t lowTextures = 0;

namespace velmora::testing {

FakeTextureCache fakeTextures;

void ResetFakeTextures() { fakeTextures = FakeTextureCache{}; }

namespace {

std::string Lower(const char* name) {
    std::string lower = name ? name : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

LPDIRECTDRAWSURFACE7 FakeSurface(const std::string& name) {
    static char markers[64];
    std::string key = Lower(name.c_str());
    auto found = fakeTextures.surfaces.find(key);
    if (found != fakeTextures.surfaces.end()) return found->second;
    LPDIRECTDRAWSURFACE7 surface =
        reinterpret_cast<LPDIRECTDRAWSURFACE7>(&markers[fakeTextures.surfaces.size() % 64]);
    fakeTextures.surfaces[key] = surface;
    return surface;
}

}  // namespace velmora::testing

using velmora::testing::fakeTextures;

TextureContainer* FindTexture(const char*) { return nullptr; }

HRESULT CreateTexture(const char* name, DWORD stage, DWORD flags) {
    if (!name) return E_INVALIDARG;
    fakeTextures.calls.push_back("CreateTexture " + std::string(name) + " " +
                                 std::to_string(stage) + " " + std::to_string(flags));
    return fakeTextures.missing.count(name) ? E_FAIL : 0;
}

HRESULT RestoreTexture(const char* name, LPDIRECT3DDEVICE7) {
    fakeTextures.calls.push_back("RestoreTexture " + std::string(name ? name : ""));
    return 0;
}

HRESULT ReleaseTextureSurface(const char* name) {
    fakeTextures.calls.push_back("ReleaseTextureSurface " + std::string(name ? name : ""));
    return 0;
}

HRESULT DeleteTexture(const char* name) {
    fakeTextures.calls.push_back("DeleteTexture " + std::string(name ? name : ""));
    return 0;
}

LPDIRECTDRAWSURFACE7 GetTextureSurface(const char* name) {
    auto found = fakeTextures.surfaces.find(velmora::testing::Lower(name));
    return found == fakeTextures.surfaces.end() ? nullptr : found->second;
}

BOOL TextureHasAlpha(const char* name) {
    fakeTextures.calls.push_back("TextureHasAlpha " + std::string(name ? name : ""));
    auto found = fakeTextures.hasAlpha.find(name ? name : "");
    return found == fakeTextures.hasAlpha.end() ? 0 : found->second;
}
