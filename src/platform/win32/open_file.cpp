// The open-file request (comdlg32): the request's title and first filter go
// to the window system; the chosen path lands in the request's buffers.
#include <cstring>
#include <string>

#include "platform/backend/window_system.h"
#include "platform/win32/windows.h"

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request) {
    if (!request || !request->lpstrFile || request->nMaxFile == 0) return FALSE;
    velmora::platform::FileRequest file;
    file.title = request->lpstrTitle ? request->lpstrTitle : "Open";
    if (request->lpstrFilter && *request->lpstrFilter) {
        file.filterName = request->lpstrFilter;
        file.filterPattern = request->lpstrFilter + file.filterName.size() + 1;
    }
    file.initialDirectory = request->lpstrInitialDir ? request->lpstrInitialDir : "";
    file.proposal.assign(request->lpstrFile, strnlen(request->lpstrFile, request->nMaxFile));
    file.mustExist = (request->Flags & OFN_FILEMUSTEXIST) != 0;

    std::string chosen;
    if (!velmora::platform::CurrentWindowSystem().ChooseOpenFile(file, chosen)) return FALSE;
    // A path that does not fit the caller's buffer is refused whole, not cut.
    if (chosen.size() + 1 > request->nMaxFile) return FALSE;
    std::memcpy(request->lpstrFile, chosen.c_str(), chosen.size() + 1);
    size_t slash = chosen.find_last_of("/\\");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = chosen.find_last_of('.');
    request->nFileOffset = static_cast<WORD>(nameStart);
    request->nFileExtension =
        static_cast<WORD>(dot == std::string::npos || dot < nameStart ? chosen.size() : dot + 1);
    if (request->lpstrFileTitle && request->nMaxFileTitle > 0) {
        std::string title = chosen.substr(nameStart);
        if (title.size() >= request->nMaxFileTitle) title.resize(request->nMaxFileTitle - 1);
        std::memcpy(request->lpstrFileTitle, title.c_str(), title.size() + 1);
    }
    return TRUE;
}
