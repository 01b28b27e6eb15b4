// The texture cache for the renderer tests: names map to made-up surfaces so
// that a test can tell which texture was bound. Names are found without
// regard to case, as the real cache finds them.
#include <cctype>
#include <map>
#include <string>

#include "render/render_test_support.h"
#include "texture/texture_cache.h"

namespace velmora::testing {

std::map<std::string, LPDIRECTDRAWSURFACE7> renderTextures;

namespace {

std::string Lower(const char* name) {
    std::string lower = name ? name : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

LPDIRECTDRAWSURFACE7 FakeSurface(const std::string& name) {
    static char markers[64];
    auto found = renderTextures.find(Lower(name.c_str()));
    if (found != renderTextures.end()) return found->second;
    LPDIRECTDRAWSURFACE7 surface =
        reinterpret_cast<LPDIRECTDRAWSURFACE7>(&markers[renderTextures.size() % 64]);
    renderTextures[Lower(name.c_str())] = surface;
    return surface;
}

}  // namespace velmora::testing

using velmora::testing::renderTextures;

TextureContainer* FindTexture(const char*) { return nullptr; }
HRESULT CreateTexture(const char* name, DWORD, DWORD) { return name ? 0 : E_INVALIDARG; }
HRESULT RestoreTexture(const char*, LPDIRECT3DDEVICE7) { return 0; }
HRESULT ReleaseTextureSurface(const char*) { return 0; }
HRESULT DeleteTexture(const char*) { return 0; }
BOOL TextureHasAlpha(const char*) { return 0; }

LPDIRECTDRAWSURFACE7 GetTextureSurface(const char* name) {
    std::string lower = name ? name : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto found = renderTextures.find(lower);
    return found == renderTextures.end() ? nullptr : found->second;
}
