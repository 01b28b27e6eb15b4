// The show the soak plays: three scenes that use all five texture formats
// between them, a tracker module, a WAV stream and, when one is given, an MP3
// stream, all packed into MORVAST.QXD together with a play script of one
// minute that performs every kind of timeline action.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tools {

// The show's last action comes this long after its start; with the player's
// one-second pause after the show a run lasts one show minute.
constexpr int kShowSeconds = 59;

// The play script of one run, lines ended by CR LF. withMp3: a third music
// track plays the MP3 stream house.mp3.
std::string SoakScript(bool withMp3);

// Writes MORVAST.QXD into folder (which must exist) and nothing else there:
// the scenes, their visibility files and textures, the music and the script.
// mp3 is the MP3 stream's bytes, or empty for none. False with a one-line
// reason.
bool WriteSoakShow(const std::string& folder, const std::vector<uint8_t>& mp3, std::string& why);

}  // namespace velmora::tools
