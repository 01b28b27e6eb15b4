#include "app/config_dialog.h"

// The dialog's controls arrive with the dialog itself; nothing is handled yet.
INT_PTR CALLBACK ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
