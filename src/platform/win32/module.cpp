// Process and string helpers (kernel32).
#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/win32/module_control.h"
#include "platform/win32/windows.h"

namespace {

std::string& ModuleFileNameOverride() {
    static std::string path;
    return path;
}

}  // namespace

void velmora::platform::UseModuleFileName(const std::string& path) { ModuleFileNameOverride() = path; }

// The path of the running executable. Like Windows, the result is cut to fit
// and terminated, and the count excludes the terminator.
DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    if (!fileName || size == 0) return 0;
    char path[4096];
    const std::string& given = ModuleFileNameOverride();
    ssize_t length = given.empty() ? readlink("/proc/self/exe", path, sizeof path - 1)
                                   : static_cast<ssize_t>(given.copy(path, sizeof path - 1));
    if (length < 0) {
        fileName[0] = '\0';
        return 0;
    }
    size_t copied = static_cast<size_t>(length) < size - 1 ? static_cast<size_t>(length) : size - 1;
    std::memcpy(fileName, path, copied);
    fileName[copied] = '\0';
    return static_cast<DWORD>(copied);
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    return strcasecmp(a, b);
}
