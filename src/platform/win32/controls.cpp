// Dialog controls (user32): combo boxes held as lists of texts with item data
// and a selection, texts and check states, per dialog and control number.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "platform/win32/dialog_controls.h"
#include "platform/win32/windows.h"

namespace velmora::platform {

namespace {

std::map<std::pair<HWND, int>, DialogControl>& Controls() {
    static std::map<std::pair<HWND, int>, DialogControl> controls;
    return controls;
}

std::map<HWND, INT_PTR>& EndedDialogs() {
    static std::map<HWND, INT_PTR> ended;
    return ended;
}

}  // namespace

DialogControl& ControlOf(HWND dialog, int controlId) { return Controls()[{dialog, controlId}]; }

void ResetDialogControls() {
    Controls().clear();
    EndedDialogs().clear();
}

void ForgetDialog(HWND dialog) {
    std::erase_if(Controls(), [dialog](const auto& entry) { return entry.first.first == dialog; });
    EndedDialogs().erase(dialog);
}

bool DialogEnded(HWND dialog, INT_PTR& result) {
    auto found = EndedDialogs().find(dialog);
    if (found == EndedDialogs().end()) return false;
    result = found->second;
    return true;
}

namespace {

bool& HiddenControlsShown() {
    static bool shown = false;
    return shown;
}

}  // namespace

void ShowHiddenDialogControls(bool shown) { HiddenControlsShown() = shown; }

bool HiddenDialogControlsShown() { return HiddenControlsShown(); }

}  // namespace velmora::platform

using namespace velmora::platform;

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    DialogControl& box = ControlOf(dialog, controlId);
    LRESULT count = static_cast<LRESULT>(box.items.size());
    bool inRange = static_cast<LRESULT>(wParam) >= 0 && static_cast<LRESULT>(wParam) < count;
    switch (message) {
        case CB_RESETCONTENT:
            box.items.clear();
            box.selection = CB_ERR;
            return 0;
        case CB_ADDSTRING: {
            const char* text = reinterpret_cast<const char*>(lParam);
            box.items.push_back({text ? text : "", 0});
            return count;
        }
        case CB_GETCOUNT:
            return count;
        case CB_SETCURSEL:
            box.selection = inRange ? static_cast<LRESULT>(wParam) : CB_ERR;
            return box.selection;
        case CB_GETCURSEL:
            return box.selection;
        case CB_SETITEMDATA:
            if (!inRange) return CB_ERR;
            box.items[wParam].data = lParam;
            return 0;
        case CB_GETITEMDATA:
            return inRange ? box.items[wParam].data : CB_ERR;
        case CB_GETLBTEXTLEN:
            return inRange ? static_cast<LRESULT>(box.items[wParam].text.size()) : CB_ERR;
        case CB_GETLBTEXT: {
            if (!inRange || !lParam) return CB_ERR;
            const std::string& text = box.items[wParam].text;
            std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
            return static_cast<LRESULT>(text.size());
        }
        case BM_GETCHECK:
            return box.check;
        case BM_SETCHECK:
            box.check = static_cast<UINT>(wParam) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            return 0;
        default:
            return 0;
    }
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int controlId, LPCSTR text) {
    ControlOf(dialog, controlId).text = text ? text : "";
    return TRUE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int controlId, LPSTR text, int size) {
    if (!text || size <= 0) return 0;
    const std::string& held = ControlOf(dialog, controlId).text;
    size_t length = std::min(held.size(), static_cast<size_t>(size - 1));
    std::memcpy(text, held.data(), length);
    text[length] = '\0';
    return static_cast<UINT>(length);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int controlId, UINT check) {
    SendDlgItemMessageA(dialog, controlId, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int controlId) {
    return static_cast<UINT>(SendDlgItemMessageA(dialog, controlId, BM_GETCHECK, 0, 0));
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    if (!dialog) return FALSE;
    // Recorded here; the modal loop ends once the procedure has returned.
    velmora::platform::EndedDialogs()[dialog] = result;
    return TRUE;
}
