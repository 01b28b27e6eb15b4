// Modal dialogs and open-file requests on GTK 3, on the display SDL uses.
#pragma once

#include <functional>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/modal_dialog.h"

namespace velmora::platform::gtk {

// Starts GTK once (its X11 back end under an X server, no wait for the
// accessibility bridge); false when no display can be opened.
bool StartGtk();
// Shows layout until the controller says the dialog ended; false when GTK
// cannot open the display.
bool RunModalDialog(const DialogLayout& layout, DialogController& controller);
bool ChooseOpenFile(const FileRequest& request, std::string& chosen);

// For tests: called once a dialog is on screen and drawn; pixels are the
// dialog's client area as 0xAARRGGBB, top row first.
using DialogShownHook = std::function<void(DialogController& controller)>;
void WhenDialogShown(DialogShownHook hook);
bool CaptureShownDialog(std::vector<uint32_t>& pixels, int& width, int& height);
// For tests, while the hook runs: the dialog's GtkWindow and the GtkWidget of
// one of its controls (null for an unknown control), so that a test can work
// the real widgets. Untyped so that this header needs no GTK.
void* ShownDialogWindow();
void* ShownControlWidget(int controlId);

}  // namespace velmora::platform::gtk
