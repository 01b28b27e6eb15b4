// Modal dialogs (user32): the template found by number, laid out in pixels,
// its controls kept in the stand-in's record and the procedure driven with
// WM_INITDIALOG and WM_COMMAND while the window system shows it.
#include <cstdint>
#include <cstring>
#include <map>

#include "platform/backend/window_system.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/windows.h"

namespace velmora::platform {

namespace {

// Dialog units are quarters of the dialog font's average character width and
// eighths of its height; an 8-point dialog font at 96 dots per inch has base
// units of 6 x 13 pixels.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

int PixelsAcross(int units) { return units * kBaseUnitX / 4; }
int PixelsDown(int units) { return units * kBaseUnitY / 8; }

std::map<WORD, const DLGRESOURCE*>& Resources() {
    static std::map<WORD, const DLGRESOURCE*> resources;
    return resources;
}

DialogControlKind KindOf(const DLGITEMRESOURCE& item) {
    const char* windowClass = item.windowClass ? item.windowClass : "";
    DWORD type = item.style & 0xF;
    if (lstrcmpiA(windowClass, "BUTTON") == 0) {
        if (type == BS_DEFPUSHBUTTON) return DialogControlKind::DefaultPushButton;
        if (type == BS_AUTOCHECKBOX) return DialogControlKind::CheckBox;
        return DialogControlKind::PushButton;
    }
    if (lstrcmpiA(windowClass, "COMBOBOX") == 0) return DialogControlKind::ComboBox;
    if (lstrcmpiA(windowClass, "EDIT") == 0) return DialogControlKind::Edit;
    return DialogControlKind::Static;
}

DialogLayout LayoutOf(const DLGRESOURCE& resource, bool showHidden) {
    DialogLayout layout;
    layout.templateId = resource.resourceId;
    layout.caption = resource.caption ? resource.caption : "";
    layout.width = PixelsAcross(resource.cx);
    layout.height = PixelsDown(resource.cy);
    for (WORD i = 0; i < resource.itemCount; ++i) {
        const DLGITEMRESOURCE& item = resource.items[i];
        DialogControlLayout control;
        control.id = item.id;
        control.kind = KindOf(item);
        control.text = item.text ? item.text : "";
        control.x = PixelsAcross(item.x);
        control.y = PixelsDown(item.y);
        control.width = PixelsAcross(item.cx);
        // A drop-down list's height is that of its open list; shut, it is one line.
        control.height = control.kind == DialogControlKind::ComboBox ? PixelsDown(14) : PixelsDown(item.cy);
        control.visible = showHidden || (item.style & WS_VISIBLE) != 0;
        layout.controls.push_back(control);
    }
    return layout;
}

// Each dialog gets a handle of its own that no window shares.
HWND NewDialogHandle() {
    static uintptr_t next = 0x7D100000u;
    return reinterpret_cast<HWND>(next++);
}

class ProcedureController : public DialogController {
public:
    ProcedureController(HWND dialog, DLGPROC procedure, LPARAM initParam)
        : dialog_(dialog), procedure_(procedure), initParam_(initParam) {}

    void Initialise() override { procedure_(dialog_, WM_INITDIALOG, 0, initParam_); }
    void Pressed(int controlId) override { Command(controlId, BN_CLICKED); }
    void Picked(int controlId, int index) override {
        SendDlgItemMessageA(dialog_, controlId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        Command(controlId, CBN_SELENDOK);
    }
    void Toggled(int controlId, bool checked) override {
        CheckDlgButton(dialog_, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
        Command(controlId, BN_CLICKED);
    }
    DialogControlView View(int controlId) override {
        const DialogControl& control = ControlOf(dialog_, controlId);
        DialogControlView view;
        for (const ComboItem& item : control.items) view.items.push_back(item.text);
        view.selection = static_cast<int>(control.selection);
        view.text = control.text;
        view.checked = control.check == BST_CHECKED;
        return view;
    }
    bool Ended() override {
        INT_PTR ignored;
        return DialogEnded(dialog_, ignored);
    }

private:
    void Command(int controlId, WORD notification) {
        if (Ended()) return;  // nothing reaches a procedure after EndDialog
        procedure_(dialog_, WM_COMMAND, MAKEWPARAM(controlId, notification), 0);
    }

    HWND dialog_;
    DLGPROC procedure_;
    LPARAM initParam_;
};

}  // namespace

}  // namespace velmora::platform

using namespace velmora::platform;

BOOL WINAPI RegisterDialogResource(const DLGRESOURCE* resource) {
    if (!resource || (resource->itemCount && !resource->items)) return FALSE;
    Resources()[resource->resourceId] = resource;
    return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC dialogProc,
                               LPARAM initParam) {
    if (!dialogProc || !IS_INTRESOURCE(templateName)) return -1;
    WORD templateId = LOWORD(reinterpret_cast<ULONG_PTR>(templateName));
    auto found = Resources().find(templateId);
    if (found == Resources().end()) return -1;
    const DLGRESOURCE& resource = *found->second;

    HWND dialog = NewDialogHandle();
    for (WORD i = 0; i < resource.itemCount; ++i)
        if (resource.items[i].text) SetDlgItemTextA(dialog, resource.items[i].id, resource.items[i].text);
    ProcedureController controller(dialog, dialogProc, initParam);
    DialogLayout layout = LayoutOf(resource, HiddenDialogControlsShown());
    INT_PTR result = -1;
    if (CurrentWindowSystem().RunModalDialog(layout, controller) && !DialogEnded(dialog, result))
        result = -1;
    ForgetDialog(dialog);
    return result;
}

int WINAPI GetSystemMetrics(int index) {
    int width = 0, height = 0;
    CurrentWindowSystem().DesktopSize(width, height);
    if (index == SM_CXSCREEN) return width;
    if (index == SM_CYSCREEN) return height;
    return 0;
}
