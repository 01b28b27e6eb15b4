#include "platform/null/null_window_system.h"

namespace velmora::platform {

bool NullWindowSystem::OpenWindow(const char* title, int width, int height) {
    windowTitle = title ? title : "";
    windowWidth = width;
    windowHeight = height;
    windowOpen = true;
    return true;
}

void NullWindowSystem::ShowWindow(bool visible) { windowVisible = visible; }

bool NullWindowSystem::PollEvent(WindowEvent& event) {
    if (script_.empty()) return false;
    Entry entry = script_.front();
    script_.pop_front();
    if (entry.pause) return false;
    event = entry.event;
    return true;
}

void NullWindowSystem::SetCursorVisible(bool visible) { cursorVisible = visible; }

long NullWindowSystem::RunModalDialog(int templateId) {
    ++dialogsShown;
    lastDialogTemplate = templateId;
    return dialogResult;
}

void NullWindowSystem::QueueEvent(WindowEventType type, int key) {
    script_.push_back({false, WindowEvent{type, key}});
}

void NullWindowSystem::QueuePause() { script_.push_back({true, WindowEvent{}}); }

}  // namespace velmora::platform

namespace velmora::platform {

void NullWindowSystem::SetDisplayMode(int width, int height, bool windowed) {
    displayWidth = width;
    displayHeight = height;
    displayWindowed = windowed;
    windowVisible = true;
}

void NullWindowSystem::DesktopSize(int& width, int& height) {
    width = desktopWidth;
    height = desktopHeight;
}

}  // namespace velmora::platform
