// A window system with no window: nothing is shown, and events come from a
// script that tests fill. A Pause entry in the script makes one poll report
// "no event", so a test can let the main loop render frames between events.
#pragma once

#include <deque>
#include <string>

#include "platform/backend/window_system.h"

namespace velmora::platform {

class NullWindowSystem : public WindowSystem {
public:
    bool OpenWindow(const char* title, int width, int height) override;
    void ShowWindow(bool visible) override;
    bool PollEvent(WindowEvent& event) override;
    void SetCursorVisible(bool visible) override;
    long RunModalDialog(int templateId) override;
    void SetDisplayMode(int width, int height, bool windowed) override;
    void DesktopSize(int& width, int& height) override;

    // Test scripting.
    void QueueEvent(WindowEventType type, int key = 0);
    void QueuePause();

    // What the engine asked for, for tests to read.
    std::string windowTitle;
    int windowWidth = 0;
    int windowHeight = 0;
    bool windowOpen = false;
    bool windowVisible = false;
    bool cursorVisible = true;
    int dialogsShown = 0;
    int lastDialogTemplate = 0;
    long dialogResult = -1;  // what RunModalDialog answers
    int displayWidth = 0;    // the last display mode asked for
    int displayHeight = 0;
    bool displayWindowed = false;
    int desktopWidth = 1024;  // what DesktopSize answers
    int desktopHeight = 768;

private:
    struct Entry {
        bool pause;
        WindowEvent event;
    };
    std::deque<Entry> script_;
};

}  // namespace velmora::platform
