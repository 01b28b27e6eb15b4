// Shared by the renderer and display tests.
#pragma once

#include <map>
#include <string>

#include "platform/ddraw/ddraw.h"

namespace velmora::testing {

// Textures the fake cache holds, by lower-case name.
extern std::map<std::string, LPDIRECTDRAWSURFACE7> renderTextures;
// Puts a texture of that name in the fake cache and returns its surface.
LPDIRECTDRAWSURFACE7 FakeSurface(const std::string& name);

}  // namespace velmora::testing
