// The stand-in's record of dialog controls: what each control of each dialog
// holds, whatever shows it. The control messages and SetDlgItemTextA work on
// it; a back end that shows a dialog mirrors it and reports the user's
// changes into it.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows.h"

namespace velmora::platform {

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

struct DialogControl {
    std::vector<ComboItem> items;  // combo boxes
    LRESULT selection = CB_ERR;
    std::string text;  // edits, statics and buttons
    UINT check = BST_UNCHECKED;
};

// The control's record, made empty on first use.
DialogControl& ControlOf(HWND dialog, int controlId);
// Forgets every control of every dialog, and every ended dialog.
void ResetDialogControls();
// Forgets the controls of one dialog when it goes.
void ForgetDialog(HWND dialog);
// True once EndDialog was called for dialog; result is what it was given.
bool DialogEnded(HWND dialog, INT_PTR& result);

// Whether dialogs show the controls their templates hide (for developers);
// the platform's set-up says.
void ShowHiddenDialogControls(bool shown);
bool HiddenDialogControlsShown();

}  // namespace velmora::platform
