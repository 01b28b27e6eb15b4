// Bringing up what a show draws on: the render window, the display device for
// a size, the display made on it with its render states. The player chooses its
// mode between the steps (from the settings file or the dialog); every program
// without the dialog (the capture tool, the soak, the visibility check, the
// benchmarks, the OpenGL tests) takes the mode for a size in one call.
#pragma once

#include <string>

#include "platform/win32/windows.h"

// The render window, of the class "Render Window" with the engine's window
// procedure, made and shown. Null when none could be made.
HWND OpenRenderWindow(HINSTANCE instance, const char* title);

// The display on the device and mode chosen, made for the window, and the
// render states put in force. What the display's set-up answered.
HRESULT StartDisplay(HWND window);

// The render window, the device that offers width x height with that mode
// chosen, the display and its render states, with the screen size set and the
// command line empty. False, with why in one line, when something could not
// be brought up.
bool StartDisplayAt(int width, int height, const char* title, std::string& why);

// Forgets the display and the display devices found, once the platform has
// released the display's objects, so that a next StartDisplayAt in the same
// process begins as the first did.
void ForgetDisplay();
