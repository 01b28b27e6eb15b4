// The narrow interface between the Win32 stand-in and a windowing back end.
// The stand-in speaks Win32 to the engine; a back end only opens a window,
// reports what the user did and shows or hides the cursor. Keys arrive as
// Win32 virtual-key codes so that no back-end vocabulary leaks upwards.
#pragma once

#include <memory>

namespace velmora::platform {

enum class WindowEventType {
    CloseRequested,  // the window's close box or the window manager's close
    KeyDown,         // key holds a virtual-key code
    KeyUp,
    PointerOver,     // the pointer entered or moved over the window
    Exposed,         // the window needs repainting
};

struct WindowEvent {
    WindowEventType type = WindowEventType::Exposed;
    int key = 0;
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
    // Runs a modal dialog from the template numbered templateId. Returns the
    // dialog's result, or -1 when this back end cannot show that dialog.
    virtual long RunModalDialog(int templateId) = 0;
};

// The back end in use. Until one is installed this is the null back end.
WindowSystem& CurrentWindowSystem();
void InstallWindowSystem(std::unique_ptr<WindowSystem> system);

}  // namespace velmora::platform
