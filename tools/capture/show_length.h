// How long the show that has been read will run, guessed from its timeline
// for the progress bar: the latest of its action times, the ends of its
// holds and the ends of the scenes it plays once, and the second's pause
// after the show. A scene that loops until it is stopped, or an action that
// ends something early, makes the guess wrong; the capture goes on to the
// show's real end whatever it says.
#pragma once

#include <cstdint>

namespace velmora::tools {

int64_t EstimatedShowMilliseconds();

}  // namespace velmora::tools
