// The narrow interface between the Win32 stand-in and a windowing back end.
// The stand-in speaks Win32 to the engine; a back end only opens a window,
// reports what the user did and shows or hides the cursor. Keys arrive as
// Win32 virtual-key codes and pointer positions as pixels of the picture, so
// that no back-end vocabulary leaks upwards.
#pragma once

#include <memory>
#include <string>

#include "platform/backend/gl_host.h"
#include "platform/backend/modal_dialog.h"

namespace velmora::platform {

// How a window system's video starts: on the display named, falling back to
// an offscreen driver when it cannot be opened, or offscreen at once.
enum class VideoDriver { Display, Offscreen };

enum class WindowEventType {
    CloseRequested,  // the window's close box or the window manager's close
    KeyDown,         // key holds a virtual-key code
    KeyUp,
    PointerOver,     // the pointer entered or moved over the window, now at x, y
    PointerDown,     // the left button pressed at x, y
    PointerUp,       // the left button let go at x, y
    Exposed,         // the window needs repainting
};

struct WindowEvent {
    WindowEventType type = WindowEventType::Exposed;
    int key = 0;
    // The pointer events' position, in pixels of the picture from its top
    // left corner: the window's own pixels while it is shown at the picture's
    // size. Outside the picture (a button held while the pointer left it)
    // these run below 0 or past its size.
    int x = 0, y = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Opens the one top-level window; false when it cannot.
    virtual bool OpenWindow(const char* title, int width, int height) = 0;
    virtual void ShowWindow(bool visible) = 0;
    // Takes the next pending event; false when none is waiting.
    virtual bool PollEvent(WindowEvent& event) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // Shows a modal dialog and returns once the controller says it ended:
    // true then, false (nothing shown) when this back end cannot show it.
    virtual bool RunModalDialog(const DialogLayout& layout, DialogController& controller) = 0;
    // Asks the user for a file to open; false when none was chosen or no
    // request can be shown.
    virtual bool ChooseOpenFile(const FileRequest& /*request*/, std::string& /*chosen*/) {
        return false;
    }

    // Shapes the window for frames of width x height and shows it: the
    // desktop's whole screen, or a window of that size when windowed.
    virtual void SetDisplayMode(int /*width*/, int /*height*/, bool /*windowed*/) {}
    // The size of the desktop the window is shown on.
    virtual void DesktopSize(int& width, int& height) {
        width = 1024;
        height = 768;
    }
    // An OpenGL 3.3 core context on the window, current. Null when there is
    // none; why then says what failed, and stays empty for a window system
    // that never draws.
    virtual std::unique_ptr<GlHost> CreateGlHost(std::string& why) {
        why.clear();
        return nullptr;
    }
};

// The back end in use. Until one is installed this is the null back end.
WindowSystem& CurrentWindowSystem();
void InstallWindowSystem(std::unique_ptr<WindowSystem> system);

}  // namespace velmora::platform
