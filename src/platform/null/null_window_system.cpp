#include "platform/null/null_window_system.h"

#include "platform/backend/key_codes.h"

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

bool NullWindowSystem::RunModalDialog(const DialogLayout& layout, DialogController& controller) {
    if (!dialogUser && dialogResult == -1) return false;
    ++dialogsShown;
    lastDialogTemplate = layout.templateId;
    lastDialogLayout = layout;
    controller.Initialise();
    if (dialogUser)
        dialogUser(controller);
    else
        controller.Pressed(dialogResult == kDialogOk ? kDialogOk : kDialogCancel);
    return true;
}

bool NullWindowSystem::ChooseOpenFile(const FileRequest& request, std::string& chosen) {
    fileRequests.push_back(request);
    if (fileChoices.empty()) return false;
    chosen = fileChoices.front();
    fileChoices.pop_front();
    return !chosen.empty();
}

void NullWindowSystem::QueueEvent(WindowEventType type, int key) {
    script_.push_back({false, WindowEvent{type, key}});
}

void NullWindowSystem::QueuePointer(WindowEventType type, int x, int y) {
    WindowEvent event;
    event.type = type;
    event.x = x;
    event.y = y;
    script_.push_back({false, event});
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
