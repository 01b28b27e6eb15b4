// The stand-in's own controls over its display objects, which the DirectDraw
// API has no word for: the program entry tears them down at exit and tests
// ask which back end drew.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/capture/frame_capture.h"
#include "platform/ddraw/ddraw.h"

namespace velmora::platform {

class RenderDevice;

// What the platform's set-up tells the display: whether a mode change makes
// a window of the mode's size instead of going full-screen (read at each mode
// change), one more mode to report beside the usual ones (0 x 0: none; read
// whenever the modes are reported), and the capture (read when the display
// first opens).
struct DisplayOptions {
    bool windowed = false;
    int extraModeWidth = 0;
    int extraModeHeight = 0;
    CaptureOptions capture;
};
void SetDisplayOptions(const DisplayOptions& options);
const DisplayOptions& CurrentDisplayOptions();

// Destroys every DirectDraw and Direct3D object still alive, and the drawing
// back end with them; the program never releases its display, so this runs
// once at exit before the window goes. Pointers to those objects are dangling
// afterwards.
void ReleaseDisplayObjects();

// Ends the capture of presented frames: a film capture repeats its last
// picture up to the clock's time (the pause after the show included); no
// frame is captured after. ReleaseDisplayObjects does it too.
void FinishFrameCapture();
// The seconds spent so far reading captured frames back from the display.
double FrameReadBackSeconds();

// "OpenGL" or "null": the drawing back end the display opened, or null
// when no display surface has been made yet.
const char* DisplayBackEndName();
// Whether the display opened draws through OpenGL (and not the null back end).
bool DisplayDrawnByOpenGl();
// The drawing back end itself, for what only it can tell (its counters, its
// depth path); null like the name.
RenderDevice* DisplayBackEnd();

// The texture rules every Direct3D device reports from then on (triangle
// texture caps such as D3DPTEXTURECAPS_POW2 and D3DPTEXTURECAPS_SQUAREONLY,
// largest width and height, 0 for none), so that tests can play a card with
// stricter rules than OpenGL's; ResetTextureCaps goes back to the stand-in's own.
void SetTextureCaps(unsigned long textureCaps, unsigned long maxWidth, unsigned long maxHeight);
// The texture formats every Direct3D device enumerates from then on, in this
// order, so that tests can play a card with fewer formats than the stand-in's
// own (an empty list: a card with none). ResetTextureCaps goes back to its own
// list as well.
void SetTextureFormats(const std::vector<DDPIXELFORMAT>& formats);
void ResetTextureCaps();

// The bytes of memory a surface holds its pixels in: none for a texture
// surface once sent to a drawing back end that keeps its own copy (until it
// is locked or drawn on again), so that tests and measurements can see it go.
size_t SurfaceMemoryBytes(LPDIRECTDRAWSURFACE7 surface);

}  // namespace velmora::platform
