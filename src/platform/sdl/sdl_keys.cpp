#include "platform/sdl/sdl_keys.h"

#include "platform/backend/key_codes.h"

namespace velmora::platform {

int VirtualKeyFromScancode(SDL_Scancode scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return kKeyF1 + (scancode - SDL_SCANCODE_F1);
    switch (scancode) {
        case SDL_SCANCODE_0: return '0';
        case SDL_SCANCODE_ESCAPE: return kKeyEscape;
        case SDL_SCANCODE_RETURN: return kKeyReturn;
        case SDL_SCANCODE_SPACE: return kKeySpace;
        case SDL_SCANCODE_TAB: return kKeyTab;
        case SDL_SCANCODE_BACKSPACE: return kKeyBack;
        case SDL_SCANCODE_LEFT: return kKeyLeft;
        case SDL_SCANCODE_RIGHT: return kKeyRight;
        case SDL_SCANCODE_UP: return kKeyUp;
        case SDL_SCANCODE_DOWN: return kKeyDown;
        case SDL_SCANCODE_PAGEUP: return kKeyPageUp;
        case SDL_SCANCODE_PAGEDOWN: return kKeyPageDown;
        case SDL_SCANCODE_HOME: return kKeyHome;
        case SDL_SCANCODE_END: return kKeyEnd;
        case SDL_SCANCODE_COMMA: return kKeyComma;
        case SDL_SCANCODE_PERIOD: return kKeyPeriod;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT: return kKeyShift;
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL: return kKeyControl;
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT: return kKeyMenu;
        default: return 0;
    }
}

}  // namespace velmora::platform
