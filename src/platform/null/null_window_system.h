// A window system with no window: nothing is shown, and events come from a
// script that tests fill. A Pause entry in the script makes one poll report
// "no event", so a test can let the main loop render frames between events.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend/window_system.h"

namespace velmora::platform {

class NullWindowSystem : public WindowSystem {
public:
    bool OpenWindow(const char* title, int width, int height) override;
    void ShowWindow(bool visible) override;
    bool PollEvent(WindowEvent& event) override;
    void SetCursorVisible(bool visible) override;
    bool RunModalDialog(const DialogLayout& layout, DialogController& controller) override;
    bool ChooseOpenFile(const FileRequest& request, std::string& chosen) override;
    void SetDisplayMode(int width, int height, bool windowed) override;
    void DesktopSize(int& width, int& height) override;

    // Test scripting.
    void QueueEvent(WindowEventType type, int key = 0);
    // A pointer event (PointerOver, PointerDown, PointerUp) at picture pixel x, y.
    void QueuePointer(WindowEventType type, int x, int y);
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
    DialogLayout lastDialogLayout;
    // The user of a dialog: acts on it through the controller. Without one,
    // dialogResult says what the user does: 1 presses OK, 0 Cancel, and -1
    // means no dialog can be shown.
    std::function<void(DialogController&)> dialogUser;
    long dialogResult = -1;
    // Open-file requests: each takes the next choice (empty: cancelled).
    std::vector<FileRequest> fileRequests;
    std::deque<std::string> fileChoices;
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
