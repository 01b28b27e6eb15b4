// A texture cache that decodes nothing, in place of the texture subsystem:
// it records every call, and the tests choose which textures fail to load,
// which carry alpha and which made-up surfaces the names stand for. Names are
// found without regard to case, as the real cache finds them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"

namespace velmora::testing {

struct FakeTextureCache {
    std::vector<std::string> calls;       // "CreateTexture NAME 0 0", "DeleteTexture NAME", ...
    std::set<std::string> missing;        // creation of these names fails
    std::map<std::string, int> hasAlpha;  // what TextureHasAlpha answers; 0 when absent
    std::map<std::string, LPDIRECTDRAWSURFACE7> surfaces;  // by lower-case name
};

extern FakeTextureCache fakeTextures;
void ResetFakeTextures();

// Puts a texture of that name in the fake cache and returns its surface; the
// same surface for the same name in any case.
LPDIRECTDRAWSURFACE7 FakeSurface(const std::string& name);

}  // namespace velmora::testing
