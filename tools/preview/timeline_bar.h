// The timeline bar along the bottom of the preview's picture: the show time
// and length, each scene's span as a band with its name, a tick per action,
// the loop marks and the playhead; above it the playing scenes with their
// frames and cameras, and the lines the last reload left to read (the
// checker's findings, the log's ERROR lines, why a show did not read).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show_outline.h"

namespace velmora::tools {

struct BarState {
    uint64_t frame = 0;  // the film frame on screen
    bool paused = false;
    bool loopOn = false;
    uint64_t loopIn = 0, loopOut = 0;
    double speed = 1.0;  // show seconds per real second, below 1 when drawing lags
    std::vector<std::string> notes;  // from the last reload, shown above the bar
};

// The film frame under column x of a picture width wide.
uint64_t FrameAtColumn(const ShowOutline& outline, int x, int width);

// The first row of the bar itself (the scene bands, a row for each scene
// playing at once, the ticks and the time line below them) in a picture
// height high; the playing scenes and the notes stand above it.
int BarTop(const ShowOutline& outline, int height);
// Whether row y of a picture height high is one of the bar's.
bool InsideBar(const ShowOutline& outline, int y, int height);

// The line of the playing scenes: "stars.QX3 412 Camera01 | title.QX3 ...".
std::string PlayingLine();

// "0:12.35 / 1:01.00" with the state after it.
std::string TimeLine(const ShowOutline& outline, const BarState& state, double framesPerSecond);

// Draws the bar over the back buffer of width x height.
void DrawTimelineBar(const ShowOutline& outline, const BarState& state, double framesPerSecond, int width,
                     int height);

}  // namespace velmora::tools
