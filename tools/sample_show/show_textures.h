// The sample show's textures, made from noise, sines and a small pixel font:
// every one of the five formats the player reads, each file with a "_256"
// low-detail file of half its size beside it. Every draw style of the show
// has a texture: the player logs a draw style without one as an error.
#pragma once

#include <vector>

#include "sample_show/image_files.h"
#include "sample_show/show_files.h"

namespace velmora::tools {

// The names the scenes' draw styles use.
inline constexpr const char* kPlasmaTexture = "plasma.pcx";   // 8-bit plasma, tunnel walls
inline constexpr const char* kMetalTexture = "metal.jpg";     // brushed metal, rings and knot
inline constexpr const char* kBricksTexture = "bricks.bmp";   // brick walls of the city
inline constexpr const char* kWindowsTexture = "windows.jpg"; // lit windows of the towers
inline constexpr const char* kTilesTexture = "tiles.tga";     // floor tiles with glowing seams
inline constexpr const char* kGlowTexture = "glow.tga";       // a soft light with alpha, for flares
inline constexpr const char* kLogoTexture = "logo.png";       // the title lettering with alpha
inline constexpr const char* kHazardTexture = "hazard.png";   // worn warning stripes, tunnel ribs

// The pictures themselves, for the tests and for looking at.
IndexedPicture PlasmaPicture();
Picture MetalPicture();
Picture BricksPicture();
Picture WindowsPicture();
Picture TilesPicture();
Picture GlowPicture();
Picture LogoPicture();
Picture HazardPicture();

// Every texture file: the full-size one and its NAME_256 file.
std::vector<ShowFile> ShowTextureFiles();

}  // namespace velmora::tools
