// The program's entry: the render window, the device choice, the settings or
// the dialog, the display set-up, then the show.
#include <cstring>

#include "app/config_dialog.h"
#include "app/display_start.h"
#include "app/run_show.h"
#include "app/settings.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "state/engine_state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandText, int) {
    HWND window = OpenRenderWindow(instance, "Velmora Demo");

    screenWidth = 640;
    screenHeight = 480;
    std::strncpy(commandLine, commandText ? commandText : "", kCommandLineSize - 1);
    commandLine[kCommandLineSize - 1] = '\0';

    SelectDisplayDevice(window, 640, 480);

    if (!LoadSettings()) {
        // Only 0 means cancelled; a dialog that cannot be shown (-1) goes on as accepted.
        if (DialogBoxParamA(instance, MAKEINTRESOURCEA(kConfigDialogId), window,
                            ConfigDialogProc, 0) == 0)
            return 1;
    }

    StartDisplay(window);
    RunShow();
    return 1;
}
