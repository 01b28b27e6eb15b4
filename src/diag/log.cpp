#include "diag/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "diag/user_folder.h"
#include "platform/win32/windows.h"

int logEnabled = 0;
char exeDirectory[kExeDirectorySize];
char userLogDirectory[kExeDirectorySize];
char logLine[kLogLineSize];

namespace {

// directory + name in a 512-byte buffer; false when it would not fit, so a
// cut path never sends a line to the wrong file.
bool BuildPath(char (&path)[512], const char* directory, const char* name) {
    int length = std::snprintf(path, sizeof path, "%s%s", directory, name);
    return length >= 0 && static_cast<size_t>(length) < sizeof path;
}

const char* LogDirectory() { return userLogDirectory[0] ? userLogDirectory : exeDirectory; }

// False when the file cannot be made there.
bool EmptyFile(const char* directory, const char* name) {
    char path[512];
    if (!BuildPath(path, directory, name)) return false;
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    std::fflush(file);
    std::fclose(file);
    return true;
}

// A note on standard error, not repeated while it stays the same: a program
// that starts its log again and again (the soak) says it once.
void SayOnce(const std::string& note) {
    static std::string said;
    if (note == said) return;
    said = note;
    std::fprintf(stderr, "velmora: %s\n", note.c_str());
}

LogListener& Listener() {
    static LogListener listener;
    return listener;
}

}  // namespace

void ListenToLog(LogListener listener) { Listener() = std::move(listener); }

void WriteLog(const char* text) {
    if (text && Listener()) Listener()(text);
    if (logEnabled != 1 || !text) return;
    char path[512];
    if (!BuildPath(path, LogDirectory(), "Log.TXT")) return;
    FILE* file = std::fopen(path, "ab");
    if (!file) return;  // an unwritable log drops the line
    std::fwrite(text, 1, std::strlen(text), file);
    std::fwrite("\r\n", 1, 2, file);
    std::fflush(file);
    std::fclose(file);
}

void StartLog(int enabled) {
    FindExeDirectory();
    userLogDirectory[0] = '\0';
    if (EmptyFile(exeDirectory, "Log.TXT")) {
        EmptyFile(exeDirectory, "Errors.TXT");
    } else if (FindUserFolder(CSIDL_LOCAL_APPDATA, userLogDirectory, sizeof userLogDirectory) &&
               EmptyFile(userLogDirectory, "Log.TXT")) {
        // An installed program's folder cannot be written: the log goes to
        // the user's own folder, and the user is told where.
        EmptyFile(userLogDirectory, "Errors.TXT");
        if (enabled == 1)
            SayOnce(std::string("the log is in ") + userLogDirectory +
                    "Log.TXT, since the program's folder cannot be written");
    } else {
        userLogDirectory[0] = '\0';
        if (enabled == 1)
            SayOnce(std::string("the log cannot be written beside the program (") + exeDirectory +
                    ") nor in the user's folder; the show plays without it");
    }
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
