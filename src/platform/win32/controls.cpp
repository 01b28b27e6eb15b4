// Dialog controls (user32): combo boxes held as lists of texts with item data
// and a selection, per dialog and control number.
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/dialog_controls.h"
#include "platform/win32/windows.h"

namespace velmora::platform {

namespace {

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

struct ComboBox {
    std::vector<ComboItem> items;
    LRESULT selection = CB_ERR;
};

std::map<std::pair<HWND, int>, ComboBox>& Controls() {
    static std::map<std::pair<HWND, int>, ComboBox> controls;
    return controls;
}

}  // namespace

void ResetDialogControls() { Controls().clear(); }

}  // namespace velmora::platform

using namespace velmora::platform;

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    ComboBox& box = Controls()[{dialog, controlId}];
    LRESULT count = static_cast<LRESULT>(box.items.size());
    bool inRange = static_cast<LRESULT>(wParam) >= 0 && static_cast<LRESULT>(wParam) < count;
    switch (message) {
        case CB_RESETCONTENT:
            box = ComboBox{};
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
        default:
            return 0;
    }
}
