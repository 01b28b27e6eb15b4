// A texture cache that decodes nothing and records every call, in place of
// the texture subsystem, so that the scene tests choose which textures exist
// and which carry alpha.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora::testing {

struct FakeTextureCache {
    std::vector<std::string> calls;      // "CreateTexture NAME 0 0", "DeleteTexture NAME", ...
    std::set<std::string> missing;       // creation of these names fails
    std::map<std::string, int> hasAlpha; // what TextureHasAlpha answers; 0 when absent
};

extern FakeTextureCache fakeTextures;
void ResetFakeTextures();

}  // namespace velmora::testing
