// The narrow interface between the Win32 stand-in's modal dialogs and a back
// end that shows them. The stand-in turns a dialog template into a layout in
// pixels and keeps what every control holds; the back end draws the layout,
// mirrors the controls and reports what the user does, in the dialog
// procedure's own terms (control numbers and notification codes).
#pragma once

#include <string>
#include <vector>

namespace velmora::platform {

enum class DialogControlKind { PushButton, DefaultPushButton, CheckBox, ComboBox, Edit, Static };

struct DialogControlLayout {
    int id = 0;
    DialogControlKind kind = DialogControlKind::Static;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0;  // pixels within the client area
    bool visible = true;
};

struct DialogLayout {
    int templateId = 0;
    std::string caption;
    int width = 0, height = 0;  // the client area in pixels
    std::vector<DialogControlLayout> controls;
};

// What one control shows now.
struct DialogControlView {
    std::vector<std::string> items;  // a combo box's entries
    int selection = -1;
    std::string text;
    bool checked = false;
};

// The stand-in's side of a dialog that is shown.
class DialogController {
public:
    virtual ~DialogController() = default;
    // Called once the back end can show the dialog, before it reads any
    // control: the procedure's WM_INITDIALOG.
    virtual void Initialise() = 0;
    // A button pressed (Enter is the default button, Escape and the close box
    // are Cancel): a WM_COMMAND with BN_CLICKED.
    virtual void Pressed(int controlId) = 0;
    // The user picked entry index of a combo box: the selection changes, then
    // a WM_COMMAND with CBN_SELENDOK.
    virtual void Picked(int controlId, int index) = 0;
    // A check box toggled by the user, then a WM_COMMAND with BN_CLICKED.
    virtual void Toggled(int controlId, bool checked) = 0;
    virtual DialogControlView View(int controlId) = 0;
    // True once the procedure has ended the dialog.
    virtual bool Ended() = 0;
};

// An open-file request: a title, one filter, and the proposal.
struct FileRequest {
    std::string title;
    std::string filterName;
    std::string filterPattern;  // patterns separated by ';', such as "*.QX3"
    std::string initialDirectory;
    std::string proposal;
    bool mustExist = true;
};

}  // namespace velmora::platform
