#include "diag/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/win32/windows.h"

int logEnabled = 0;
char exeDirectory[kExeDirectorySize];
char logLine[kLogLineSize];

namespace {

// exeDirectory + name in a 512-byte buffer; false when it would not fit, so a
// cut path never sends a line to the wrong file.
bool BuildLogPath(char (&path)[512], const char* name) {
    int length = std::snprintf(path, sizeof path, "%s%s", exeDirectory, name);
    return length >= 0 && static_cast<size_t>(length) < sizeof path;
}

void EmptyFile(const char* name) {
    char path[512];
    if (!BuildLogPath(path, name)) return;
    if (FILE* file = std::fopen(path, "wb")) {
        std::fflush(file);
        std::fclose(file);
    }
}

}  // namespace

void WriteLog(const char* text) {
    if (logEnabled != 1 || !text) return;
    char path[512];
    if (!BuildLogPath(path, "Log.TXT")) return;
    FILE* file = std::fopen(path, "ab");
    if (!file) return;  // an unwritable log drops the line
    std::fwrite(text, 1, std::strlen(text), file);
    std::fwrite("\r\n", 1, 2, file);
    std::fflush(file);
    std::fclose(file);
}

void StartLog(int enabled) {
    FindExeDirectory();
    EmptyFile("Log.TXT");
    EmptyFile("Errors.TXT");
    logEnabled = enabled;
}

void FindExeDirectory() {
    std::memset(exeDirectory, 0, sizeof exeDirectory);
    GetModuleFileNameA(nullptr, exeDirectory, sizeof exeDirectory);
    // Keep everything up to and including the last separator.
    char* cut = nullptr;
    for (char* p = exeDirectory; *p; ++p)
        if (*p == '\\' || *p == '/') cut = p;
    if (cut)
        std::memset(cut + 1, 0, sizeof exeDirectory - static_cast<size_t>(cut + 1 - exeDirectory));
    else
        exeDirectory[0] = '\0';
}

void WriteLogFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(logLine, sizeof logLine, format, args);
    va_end(args);
    WriteLog(logLine);
}
