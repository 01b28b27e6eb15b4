// Whether a folder holds a show the player would play: its play script
// MORVAST.QXP, loose or in the archive MORVAST.QXD, found the way the player
// looks (names matched ignoring case).
#pragma once

#include <string>

namespace velmora::tools {

// Looks in the current folder; false with a one-line reason naming folder.
bool HoldsShow(const std::string& folder, std::string& why);

}  // namespace velmora::tools
