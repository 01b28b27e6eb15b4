// What the timeline bar shows of a whole show: its length, when each action
// was performed and each scene's spans on screen, all in film frames, taken
// from one undrawn run of the show from its start to its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show_session.h"

namespace velmora::tools {

struct OutlineAction {
    uint64_t frame = 0;  // the film frame of the pass that performed it
    int32_t type = 0;
    float argument = 0.0f;
};

struct SceneSpan {
    int scene = 0;  // 0-based
    std::string name;
    uint64_t begin = 0;  // the first film frame it is in the render list
    uint64_t end = 0;    // one past the last
};

struct ShowOutline {
    uint64_t length = 0;  // film frames up to the show's last pass
    std::vector<OutlineAction> actions;
    std::vector<SceneSpan> spans;  // in order of their beginning
};

// Plays the session's show undrawn from its start to its end (at most
// longest frames) and says what happened when; the session is left at the
// end of the show.
ShowOutline OutlineShow(ShowSession& session, uint64_t longest);

// The film frame of the action after (forward) or before the frame; the
// show's end or start when there is none.
uint64_t NextActionFrame(const ShowOutline& outline, uint64_t frame);
uint64_t PreviousActionFrame(const ShowOutline& outline, uint64_t frame);

}  // namespace velmora::tools
