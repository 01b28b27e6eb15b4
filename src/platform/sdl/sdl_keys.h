// SDL scancodes to Win32 virtual-key codes.
#pragma once

#include <SDL_scancode.h>

namespace velmora::platform {

// The virtual-key code of a physical key; 0 for keys the program never sees.
int VirtualKeyFromScancode(SDL_Scancode scancode);

}  // namespace velmora::platform
