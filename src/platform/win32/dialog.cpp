// Modal dialogs (user32): the window system shows the template.
#include "platform/backend/window_system.h"
#include "platform/win32/windows.h"

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC dialogProc, LPARAM) {
    if (!dialogProc || !IS_INTRESOURCE(templateName)) return -1;
    int templateId = LOWORD(reinterpret_cast<ULONG_PTR>(templateName));
    return static_cast<INT_PTR>(velmora::platform::CurrentWindowSystem().RunModalDialog(templateId));
}
