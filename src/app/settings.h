// The settings file "QX_Engine.ini": autorun, local path, the device and mode
// numbers and the four file names, in a fixed layout read back by byte counts.
#pragma once

#include <cstddef>

#include "platform/win32/windows.h"

constexpr const char* kSettingsFileName = "QX_Engine.ini";
// The most of the file that is read; a written file is a few hundred bytes.
constexpr size_t kSettingsReadLimit = 64 * 1024;

// Writes the settings beside the executable from the dialog's check boxes
// and combo boxes and the four file-name variables; where the executable's
// folder cannot be written, into the user's folder (velmora/ in
// CSIDL_APPDATA). A file that cannot be written is left as it was.
void SaveSettings(HWND dialog);
// Reads "QX_Engine.ini" from the current folder, at most kSettingsReadLimit
// bytes of it, or, when there is none and the executable's folder cannot be
// written, the one SaveSettings wrote into the user's folder; nonzero when a
// file was read and says autorun, 0 also when there is no file.
int LoadSettings();
// The reader behind LoadSettings, over the bytes read from the file.
int ReadSettings(const char* data, size_t size);
