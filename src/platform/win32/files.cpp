// Files, folders and the per-user folders (kernel32, shell32).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/win32/module_control.h"
#include "platform/win32/windows.h"

namespace {

struct UserFolders {
    std::string settings;
    std::string local;
};

UserFolders& Folders() {
    static UserFolders folders;
    return folders;
}

// Every missing folder on the way, each readable by its owner alone, as the
// per-user base folders are meant to be.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat status{};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

void velmora::platform::UseUserFolders(const std::string& settingsFolder, const std::string& localFolder) {
    Folders() = UserFolders{settingsFolder, localFolder};
}

DWORD WINAPI GetFileAttributesA(LPCSTR path) {
    struct stat status{};
    if (!path || stat(path, &status) != 0) return INVALID_FILE_ATTRIBUTES;
    // Read-only says what this user cannot write, folders included: an
    // installed program's folder is one.
    const DWORD readOnly = access(path, W_OK) == 0 ? 0 : FILE_ATTRIBUTE_READONLY;
    if (S_ISDIR(status.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | readOnly;
    return readOnly ? readOnly : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) { return path && chdir(path) == 0 ? TRUE : FALSE; }

BOOL WINAPI CreateDirectoryA(LPCSTR path, SECURITY_ATTRIBUTES*) {
    if (!path || !*path) return FALSE;
    if (mkdir(path, 0700) == 0) return TRUE;
    struct stat status{};
    return errno == EEXIST && stat(path, &status) == 0 && S_ISDIR(status.st_mode) ? TRUE : FALSE;
}

HRESULT WINAPI SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
    if (!path) return E_FAIL;
    path[0] = '\0';
    const std::string* chosen = nullptr;
    switch (folder & ~CSIDL_FLAG_CREATE) {
        case CSIDL_APPDATA: chosen = &Folders().settings; break;
        case CSIDL_LOCAL_APPDATA: chosen = &Folders().local; break;
        default: return E_FAIL;
    }
    // The caller's buffer is MAX_PATH long, as on Windows.
    if (chosen->empty() || chosen->size() >= MAX_PATH) return E_FAIL;
    if ((folder & CSIDL_FLAG_CREATE) && !MakeFolders(*chosen)) return E_FAIL;
    std::memcpy(path, chosen->c_str(), chosen->size() + 1);
    return S_OK;
}
