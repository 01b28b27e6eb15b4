// The Win32 numbers a window system back end reports in, so that back ends
// need not know the Win32 stand-in: the virtual-key codes of the keys the
// program sees (letters and digits are their upper-case characters) and the
// identifiers of a dialog's OK and Cancel buttons. The Win32 stand-in's own
// names for them (VK_ESCAPE, IDOK, ...) are checked against these.
#pragma once

namespace velmora::platform {

constexpr int kKeyBack = 0x08;
constexpr int kKeyTab = 0x09;
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyShift = 0x10;
constexpr int kKeyControl = 0x11;
constexpr int kKeyMenu = 0x12;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeySpace = 0x20;
constexpr int kKeyPageUp = 0x21;
constexpr int kKeyPageDown = 0x22;
constexpr int kKeyEnd = 0x23;
constexpr int kKeyHome = 0x24;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyComma = 0xBC;
constexpr int kKeyPeriod = 0xBE;

constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

}  // namespace velmora::platform
