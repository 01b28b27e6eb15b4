// The one place that chooses the platform. Every VELMORA_* switch, and what
// picks the back ends, is read once into one record; each stand-in is handed
// what it needs of the record whenever one is put in force, and none reads
// the record or the environment of its own.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/backend/render_device.h"
#include "platform/backend/window_system.h"
#include "platform/capture/frame_writer.h"
#include "platform/backend/frame_clock.h"

namespace velmora::platform {

// The window system: SDL for the program, the null one (no window) for tests.
enum class WindowBackEnd { Sdl, Null };
// The drawing back end: OpenGL where the window system hosts it (the null
// device otherwise), or the null device whatever the window system offers.
enum class RenderBackEnd { OpenGl, Null };
// The sound output: SDL's default device where one opens (the silent output
// otherwise), or the silent output whatever the system offers. On the virtual
// clock the output is always silent.
enum class SoundBackEnd { Sdl, Silent };

struct PlatformSettings {
    bool log = false;              // VELMORA_LOG=1: the log is written
    bool statistics = false;       // VELMORA_STATS=1: the statistics overlay is shown
    bool windowed = false;         // VELMORA_WINDOWED=1: a window of the mode's size
    bool developerDialog = false;  // VELMORA_DEVDIALOG=1: the dialogs' hidden controls are shown
    // VELMORA_GL_CLASSIC=WORDS, any of depth, blending, sampling, geometry
    // (or all), comma-separated: OpenGL draws that part as it did before, for
    // comparisons: every fragment writing its depth instead of reversed depth
    // where the driver has clip control; blending whenever it is switched on,
    // also where it cannot change a pixel; sampling the white texel for no
    // texture; every vertex and index streamed anew, nothing kept
    bool classicDepth = false;
    bool classicBlending = false;
    bool classicSampling = false;
    bool classicGeometry = false;
    // VELMORA_CAPTURE=DIR: audio.wav there, and the frames as PNG files unless
    // frameWriter takes them; empty for neither
    std::string captureDirectory;
    bool virtualClock = false;     // VELMORA_FPS=N: the clock moves per frame shown
    FrameRate frameRate;           // N, when virtualClock is set
    // The per-user folders, for a program whose own folder cannot be
    // written: $XDG_CONFIG_HOME/velmora's base (default ~/.config) for the
    // settings, $XDG_STATE_HOME's (default ~/.local/state) for the log. A
    // variable that is not an absolute path is passed over, as the XDG base
    // directory rules ask; empty when there is no home either.
    std::string configHome;
    std::string stateHome;
    WindowBackEnd windowSystem = WindowBackEnd::Sdl;
    VideoDriver videoDriver = VideoDriver::Display;
    RenderBackEnd renderDevice = RenderBackEnd::OpenGl;
    SoundBackEnd sound = SoundBackEnd::Sdl;

    // Set by the capture tool, never by a switch:
    // the writer that takes the captured frames instead of PNG files in the
    // capture folder (audio.wav still goes there);
    std::shared_ptr<FrameWriter> frameWriter;
    // the frames make a film at the virtual clock's rate, a picture held
    // through a sleep repeated for all of it and the last one to the end;
    bool filmCapture = false;
    // one more display mode, at 16 and 32 bits, beside those reported (0 x 0: none).
    int extraModeWidth = 0;
    int extraModeHeight = 0;
};

// The value of an environment variable, or null when it is unset.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// Reads the switches through lookup into settings (the per-user folders from
// XDG_CONFIG_HOME, XDG_STATE_HOME and HOME). False, with a one-line
// message in error, for a VELMORA_FPS that is set but not a positive decimal;
// everything else is read whatever it holds ("1" switches on, anything else
// leaves off). SDL starts offscreen at once when neither DISPLAY nor
// WAYLAND_DISPLAY names a display and SDL_VIDEODRIVER forces no driver.
bool ReadPlatformSettings(const EnvironmentLookup& lookup, PlatformSettings& settings,
                          std::string& error);
// The same from the process environment; without HOME the user's home is
// taken from the password database.
bool ReadPlatformSettings(PlatformSettings& settings, std::string& error);
// The record of a tool that plays a show, with only the named switches of the
// player's read from the process environment and the rest left as they are
// by default; the display variables (DISPLAY, WAYLAND_DISPLAY,
// SDL_VIDEODRIVER) are read as the player reads them.
PlatformSettings ReadNamedSettings(std::initializer_list<const char*> switches);
// The same for a tool that plays offscreen whatever display there is (SDL
// started on its offscreen driver by name, which says nothing about a display).
PlatformSettings ReadOffscreenSettings(std::initializer_list<const char*> switches);

// The record in force: the one put in force last, or, before any is, the one
// read from the process environment on first use (the real clock when its
// VELMORA_FPS is not a frame rate).
const PlatformSettings& CurrentPlatformSettings();
// Puts a record in force, handing each stand-in its options, and leaves the
// back ends as they are, for tests that install fakes of their own. The display reads the capture settings when it
// first opens, the windowed switch at each mode change and the extra mode
// whenever it reports its modes.
void UsePlatformSettings(const PlatformSettings& settings);
// The record read from the process environment in force again.
void ResetPlatformSettings();

// Puts the record in force with the back ends it names: the window system,
// the clock (virtual from 0 ms, or real) and the sound output's stepping with
// the clock and capture (audio.wav in the capture folder).
void InstallPlatform(const PlatformSettings& settings);
// Takes the installed back ends down: the display objects still held (before
// their window), the sound output (audio.wav finished) and any device that
// played the clocked mix, the null window system
// with every window and class forgotten, the real clock, and
// ResetPlatformSettings. A program may install the platform again after.
void UninstallPlatform();

// A window system of the kind the record names.
std::unique_ptr<WindowSystem> CreateWindowSystem(const PlatformSettings& settings);

}  // namespace velmora::platform
