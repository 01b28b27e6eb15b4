// Window classes and windows (user32) over the installed window system.
#include <strings.h>

#include <deque>
#include <memory>

#include "platform/backend/window_system.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/window_table.h"
#include "platform/win32/windows.h"

namespace velmora::platform {

namespace {

struct WindowClass {
    std::string name;
    WNDCLASSA description;
};

struct Table {
    std::deque<WindowClass> classes;
    std::deque<std::unique_ptr<WindowRecord>> windows;
    HWND mainWindow = nullptr;
};

Table& TheTable() {
    static Table table;
    return table;
}

const WindowClass* FindClass(LPCSTR name) {
    if (!name) return nullptr;
    for (const WindowClass& windowClass : TheTable().classes)
        if (strcasecmp(windowClass.name.c_str(), name) == 0) return &windowClass;
    return nullptr;
}

HWND HandleOf(WindowRecord* record) { return reinterpret_cast<HWND>(record); }

}  // namespace

WindowRecord* FindWindowRecord(HWND window) {
    for (auto& record : TheTable().windows)
        if (HandleOf(record.get()) == window) return record.get();
    return nullptr;
}

HWND MainWindow() { return TheTable().mainWindow; }

void ResetWindowTable() {
    TheTable() = Table{};
    ResetMessageQueue();
}

}  // namespace velmora::platform

using namespace velmora::platform;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) return 0;
    if (FindClass(wndClass->lpszClassName)) return 0;  // already registered
    Table& table = TheTable();
    table.classes.push_back({wndClass->lpszClassName, *wndClass});
    table.classes.back().description.lpszClassName = table.classes.back().name.c_str();
    return static_cast<ATOM>(0xC000 + table.classes.size());
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int, int,
                            int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    const WindowClass* windowClass = FindClass(className);
    if (!windowClass) return nullptr;
    auto record = std::make_unique<WindowRecord>();
    record->className = windowClass->name;
    record->title = windowName ? windowName : "";
    record->procedure = windowClass->description.lpfnWndProc;
    record->classCursor = windowClass->description.hCursor;
    Table& table = TheTable();
    bool first = table.mainWindow == nullptr;
    if (first && !CurrentWindowSystem().OpenWindow(record->title.c_str(), width, height))
        return nullptr;
    HWND handle = HandleOf(record.get());
    table.windows.push_back(std::move(record));
    if (first) table.mainWindow = handle;
    CallWindowProcedure(handle, WM_CREATE, 0, 0);
    return handle;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return FALSE;
    bool visible = command != SW_HIDE;
    if (window == MainWindow()) CurrentWindowSystem().ShowWindow(visible);
    if (visible) record->paintPending = true;
    return TRUE;
}

// Sends WM_PAINT straight to the window procedure when part of it is invalid.
BOOL WINAPI UpdateWindow(HWND window) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return FALSE;
    if (record->paintPending) CallWindowProcedure(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND window) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record || record->destroyed) return FALSE;
    CallWindowProcedure(window, WM_DESTROY, 0, 0);
    record->destroyed = true;
    if (window == MainWindow()) CurrentWindowSystem().ShowWindow(false);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT:
            ValidateRect(window, nullptr);
            return 0;
        case WM_SETCURSOR:
            if (WindowRecord* record = FindWindowRecord(window)) SetCursor(record->classCursor);
            return TRUE;
        default:
            return 0;
    }
}

BOOL WINAPI ValidateRect(HWND window, const RECT*) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return FALSE;
    record->paintPending = false;
    return TRUE;
}

// Cursors are only told apart as "some cursor" and "none".
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR cursorName) {
    static char standardCursor;
    return cursorName ? reinterpret_cast<HCURSOR>(&standardCursor) : nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    static HCURSOR current = nullptr;
    HCURSOR previous = current;
    current = cursor;
    CurrentWindowSystem().SetCursorVisible(cursor != nullptr);
    return previous;
}

HGDIOBJ WINAPI GetStockObject(int object) {
    static char stockObjects[8];
    if (object < 0 || object >= 8) return nullptr;
    return &stockObjects[object];
}
