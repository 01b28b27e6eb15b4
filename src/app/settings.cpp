#include "app/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <vector>

#include "data/data_archive.h"
#include "diag/log.h"
#include "diag/user_folder.h"
#include "render/display.h"
#include "state/engine_state.h"

namespace {

constexpr int kAutorunCheckBox = 1015;
constexpr int kLocalPathCheckBox = 1016;

// The file is walked by byte counts over what was read of it: every step
// either reads all it needs or reports the end, which stops the reader.
struct SettingsBytes {
    const char* data;
    size_t size;
    size_t position = 0;

    bool Skip(size_t count) {
        if (size - position < count) {
            position = size;
            return false;
        }
        position += count;
        return true;
    }
    bool Read(char* to, size_t count) {
        if (size - position < count) {
            position = size;
            return false;
        }
        std::memcpy(to, data + position, count);
        position += count;
        return true;
    }
};

// A TRUE/FALSE value: four characters, where "FALS" in any case is false and
// its closing "E" is skipped too; any other four characters are true.
bool ReadSwitch(SettingsBytes& file, int& value) {
    char text[4];
    if (!file.Read(text, 4)) return false;
    if (strncasecmp(text, "FALS", 4) == 0) {
        value = 0;
        return file.Skip(1);
    }
    value = 1;
    return true;
}

// A number of one or two digits. A one-digit number's second character is
// the line's CR, which is given back for the next key's skip. (Stepping back
// by the value instead would misalign on "-1", what an empty combo box saves.)
bool ReadNumber(SettingsBytes& file, int& value) {
    char text[3] = {};
    if (!file.Read(text, 2)) return false;
    value = std::atoi(text);
    if (text[1] == '\r' || text[1] == '\n') --file.position;
    return true;
}

// The characters up to the next CR or LF, which stays unread. A value longer
// than the buffer keeps its first size - 1 characters; the rest of its line
// is passed over so the next key lines up.
void ReadName(SettingsBytes& file, char* to, size_t size) {
    size_t length = 0;
    for (; file.position < file.size; ++file.position) {
        char c = file.data[file.position];
        if (c == '\r' || c == '\n') break;
        if (length + 1 < size) to[length++] = c;
    }
    to[length] = '\0';
}

// Numbers from a hand-edited file keep the pre-selection rather than index
// past the device table. Device -1 is what a dialog saves whose device list
// was empty while its mode list showed the pre-selected device's modes (a
// device the list hides): the mode is taken for the pre-selected device,
// which the same hardware pre-selects again.
void ApplyDeviceAndMode(int device, int mode) {
    if (device == -1) device = selectedDevice;
    if (device < 0 || device >= kDisplayDeviceSlots) return;
    DisplayDevice& record = displayDevices[device];
    if (mode < 0 || static_cast<uint32_t>(mode) >= record.modeCount || mode >= kModesPerDevice) return;
    selectedDevice = device;
    selectedMode = mode;
    record.chosenModeIndex = static_cast<uint32_t>(mode);
    record.modeChosen = 1;
    record.chosenMode = record.modes[mode];
}

const char* TrueOrFalse(UINT checked) { return checked == BST_CHECKED ? "TRUE" : "FALSE"; }

}  // namespace

int ReadSettings(const char* data, size_t size) {
    SettingsBytes file{data ? data : "", data ? size : 0};
    // The banner line without its LF, then that LF, the warning and an empty line.
    if (!file.Skip(25) || !file.Skip(56)) return 0;
    int autorun = 0;
    if (!file.Skip(12) || !ReadSwitch(file, autorun)) return 0;
    int local = 0;
    if (!file.Skip(15) || !ReadSwitch(file, local)) return autorun;
    localPath = local;
    int device = 0, mode = 0;
    if (!file.Skip(14) || !ReadNumber(file, device)) return autorun;
    if (!file.Skip(19) || !ReadNumber(file, mode)) return autorun;
    ApplyDeviceAndMode(device, mode);

    struct {
        size_t keySkip;
        char* variable;
    } const names[] = {
        {17, sceneFileName}, {17, scriptFileName}, {19, musicFileName}, {17, archiveFileName}};
    for (const auto& name : names) {
        if (!file.Skip(name.keySkip)) break;
        ReadName(file, name.variable, kFileNameSize);
    }
    return autorun;
}

namespace {

// At most kSettingsReadLimit bytes of the file at path; false when it cannot
// be opened.
bool ReadSettingsFile(const char* path, int& autorun) {
    // Only the first kSettingsReadLimit bytes count: a file that never ends
    // (a link to a device) is read as a file cut there.
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    std::vector<char> bytes(kSettingsReadLimit);
    size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    autorun = ReadSettings(bytes.data(), size);
    return true;
}

// The dialog's settings into the file at path, written beside it and moved
// there whole, so a failed write leaves the old settings rather than half a
// file. False when not even the partial file could be made there.
bool WriteSettingsFile(const char* path, HWND dialog) {
    char partial[kExeDirectorySize + 48];
    int length = std::snprintf(partial, sizeof partial, "%s.part", path);
    if (length < 0 || static_cast<size_t>(length) >= sizeof partial) return false;
    std::FILE* file = std::fopen(partial, "wb");
    if (!file) return false;

    LRESULT listPosition = SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCURSEL, 0, 0);
    int device = -1;  // an empty device list saves what the reader refuses
    if (listPosition >= 0 && listPosition < kDisplayDeviceSlots) device = listedDevices[listPosition];
    long mode = static_cast<long>(SendDlgItemMessageA(dialog, kModeComboBox, CB_GETCURSEL, 0, 0));

    std::fputs("*** Velmora INI file ***\r\n", file);
    std::fputs("*** If you alter this file it is on your own risk ***\r\n\r\n", file);
    std::fprintf(file, "[Autorun] %s\r\n", TrueOrFalse(IsDlgButtonChecked(dialog, kAutorunCheckBox)));
    std::fprintf(file, "[Local path] %s\r\n", TrueOrFalse(IsDlgButtonChecked(dialog, kLocalPathCheckBox)));
    std::fprintf(file, "[Device nr] %d\r\n", device);
    std::fprintf(file, "[Device mode nr] %ld\r\n", mode);
    std::fprintf(file, "[QX3 filename] %s\r\n", sceneFileName);
    std::fprintf(file, "[QXP filename] %s\r\n", scriptFileName);
    std::fprintf(file, "[Music filename] %s\r\n", musicFileName);
    std::fprintf(file, "[QXD filename] %s\r\n", archiveFileName);
    std::fputs("\r\n", file);
    bool written = std::fflush(file) == 0 && !std::ferror(file);
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(partial, path) != 0) std::remove(partial);
    return true;
}

// The settings file in the user's own folder, where an installed program
// keeps its settings; false where the user has no such folder.
bool UserSettingsPath(char (&path)[kExeDirectorySize + 32]) {
    char folder[kExeDirectorySize];
    if (!FindUserFolder(CSIDL_APPDATA, folder, sizeof folder)) return false;
    int length = std::snprintf(path, sizeof path, "%s%s", folder, kSettingsFileName);
    return length >= 0 && static_cast<size_t>(length) < sizeof path;
}

}  // namespace

int LoadSettings() {
    // Read under the bare name, from the current folder.
    int autorun = 0;
    if (ReadSettingsFile(kSettingsFileName, autorun)) return autorun;
    // Without one there, an installed program (whose own folder cannot be
    // written) reads what its "Save settings" wrote into the user's folder.
    // A program in a folder of its own never looks there.
    FindExeDirectory();
    char path[kExeDirectorySize + 32];
    if (!ProgramFolderWritable() && UserSettingsPath(path) && ReadSettingsFile(path, autorun))
        return autorun;
    return 0;
}

void SaveSettings(HWND dialog) {
    FindExeDirectory();
    char path[kExeDirectorySize + 32];
    std::snprintf(path, sizeof path, "%s%s", exeDirectory, kSettingsFileName);
    if (WriteSettingsFile(path, dialog)) return;
    // The program's folder cannot be written: the user's own folder instead.
    if (UserSettingsPath(path)) WriteSettingsFile(path, dialog);
}
