// The subset of the Win32 API that the engine calls, declared with the documented
// names, layouts and values, and implemented on Linux by this folder's stand-ins.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/backend/key_codes.h"

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef int INT;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef WORD ATOM;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef LONG HRESULT;

typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__* HBRUSH;
typedef struct HMENU__* HMENU;
typedef struct HDC__* HDC;
typedef DWORD COLORREF;
typedef void* HGDIOBJ;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define MAX_PATH 260

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
#define MAKELPARAM(low, high) (static_cast<LPARAM>(static_cast<DWORD>((static_cast<WORD>(low)) | (static_cast<DWORD>(static_cast<WORD>(high)) << 16))))
#define MAKEWPARAM(low, high) (static_cast<WPARAM>(static_cast<DWORD>((static_cast<WORD>(low)) | (static_cast<DWORD>(static_cast<WORD>(high)) << 16))))
#define LOWORD(l) (static_cast<WORD>(static_cast<ULONG_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<ULONG_PTR>(l) >> 16) & 0xffff))
// From windowsx.h: the signed pointer position a mouse message's lParam carries.
#define GET_X_LPARAM(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_SETCURSOR 0x0020
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202

// Virtual-key codes.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F1 0x70
#define VK_F4 0x73
#define VK_OEM_COMMA 0xBC
#define VK_OEM_PERIOD 0xBE
static_assert(VK_BACK == velmora::platform::kKeyBack && VK_TAB == velmora::platform::kKeyTab &&
              VK_RETURN == velmora::platform::kKeyReturn && VK_SHIFT == velmora::platform::kKeyShift &&
              VK_CONTROL == velmora::platform::kKeyControl && VK_MENU == velmora::platform::kKeyMenu &&
              VK_ESCAPE == velmora::platform::kKeyEscape && VK_SPACE == velmora::platform::kKeySpace &&
              VK_LEFT == velmora::platform::kKeyLeft && VK_UP == velmora::platform::kKeyUp &&
              VK_RIGHT == velmora::platform::kKeyRight && VK_DOWN == velmora::platform::kKeyDown &&
              VK_F1 == velmora::platform::kKeyF1 && VK_PRIOR == velmora::platform::kKeyPageUp &&
              VK_NEXT == velmora::platform::kKeyPageDown && VK_END == velmora::platform::kKeyEnd &&
              VK_HOME == velmora::platform::kKeyHome && VK_OEM_COMMA == velmora::platform::kKeyComma &&
              VK_OEM_PERIOD == velmora::platform::kKeyPeriod,
              "the back ends report the documented virtual-key codes");

// Hit-test code carried by WM_SETCURSOR.
#define HTCLIENT 1

// The buttons held, in a mouse message's wParam.
#define MK_LBUTTON 0x0001

// PeekMessageA flags.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// MsgWaitForMultipleObjects: what may end the wait, and its results.
#define QS_KEY 0x0001
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 0x00000102L

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_CHILD 0x40000000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_STATICEDGE 0x00020000L
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define CW_USEDEFAULT (static_cast<int>(0x80000000))

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

// Stock cursors and objects.
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define WHITE_BRUSH 0
#define BLACK_BRUSH 4

// Window management (user32).
ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI UpdateWindow(HWND window);
BOOL WINAPI DestroyWindow(HWND window);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI ValidateRect(HWND window, const RECT* rect);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName);
HCURSOR WINAPI SetCursor(HCURSOR cursor);
HGDIOBJ WINAPI GetStockObject(int object);

// Messages (user32).
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits up to milliseconds for input of the kinds in wakeMask to reach the
// queue (only QS_KEY is told apart; no handles are waited on): WAIT_OBJECT_0
// + count when such a message is queued, WAIT_TIMEOUT when the time passed.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask);
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int exitCode);

// Dialog template and control styles.
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define BS_PUSHBUTTON 0x0L
#define BS_DEFPUSHBUTTON 0x1L
#define BS_AUTOCHECKBOX 0x3L
#define CBS_DROPDOWNLIST 0x3L
#define ES_AUTOHSCROLL 0x80L
#define ES_READONLY 0x800L
#define SS_LEFT 0x0L

// Dialog results, notifications and button messages.
#define IDOK 1
#define IDCANCEL 2
static_assert(IDOK == velmora::platform::kDialogOk && IDCANCEL == velmora::platform::kDialogCancel,
              "the back ends report the documented button identifiers");
#define IDC_STATIC (-1)
#define BN_CLICKED 0
#define CBN_SELENDOK 9
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0
#define BST_CHECKED 1

// A dialog template as a resource script's DIALOGEX block gives it. The
// program links its templates in with RegisterDialogResource (what the
// resource compiler does on Windows) and DialogBoxParamA finds them by number.
struct DLGITEMRESOURCE {
    LPCSTR windowClass;  // "BUTTON", "COMBOBOX", "EDIT" or "STATIC"
    LPCSTR text;
    int id;
    short x, y, cx, cy;  // dialog units
    DWORD style;
};
struct DLGRESOURCE {
    WORD resourceId;
    LPCSTR caption;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    LPCSTR typeface;
    WORD pointSize;
    const DLGITEMRESOURCE* items;
    WORD itemCount;
};
BOOL WINAPI RegisterDialogResource(const DLGRESOURCE* resource);

// Modal dialogs (user32).
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
BOOL WINAPI SetDlgItemTextA(HWND dialog, int controlId, LPCSTR text);
UINT WINAPI GetDlgItemTextA(HWND dialog, int controlId, LPSTR text, int size);
BOOL WINAPI CheckDlgButton(HWND dialog, int controlId, UINT check);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int controlId);

// System metrics (user32): the desktop's size.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
int WINAPI GetSystemMetrics(int index);

// Common dialogs (comdlg32): the open-file request.
#define OFN_FILEMUSTEXIST 0x00001000
typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;  // pairs of description and pattern, ended by an empty string
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
typedef OPENFILENAMEA* LPOPENFILENAMEA;
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request);

// GDI (gdi32): text on a device context.
#define RGB(r, g, b) (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define TRANSPARENT 1
#define OPAQUE 2
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
int WINAPI SetBkMode(HDC dc, int mode);
BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                        UINT count, const INT* spacing);

// Combo box messages and results.
#define CB_ERR (-1)
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151

// Dialog controls (user32). The combo boxes of a dialog are kept by the
// stand-in, whatever shows them.
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                   LPARAM lParam);

// Clock (winmm) and process (kernel32).
DWORD WINAPI timeGetTime();
void WINAPI Sleep(DWORD milliseconds);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);

// Result codes (winerror.h).
#ifndef S_OK
#define S_OK static_cast<HRESULT>(0)
#endif
#ifndef E_FAIL
#define E_FAIL static_cast<HRESULT>(0x80004005L)
#endif

// Files and folders (kernel32).
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;
DWORD WINAPI GetFileAttributesA(LPCSTR path);
BOOL WINAPI SetCurrentDirectoryA(LPCSTR path);
// TRUE also where the folder exists already, as the caller of a per-user
// folder wants it; the stand-in makes it readable by its owner alone.
BOOL WINAPI CreateDirectoryA(LPCSTR path, SECURITY_ATTRIBUTES* security);

// The per-user folders (shell32): CSIDL_APPDATA holds a program's settings,
// CSIDL_LOCAL_APPDATA what stays on this machine, such as its logs. The path
// has no trailing separator; with CSIDL_FLAG_CREATE the folder is made when
// missing. S_OK, or E_FAIL where the user has no such folder.
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0
HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);

// The program's entry point, defined by the engine and called by the stand-in's main().
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
