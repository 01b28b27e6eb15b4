// The log: one line per message, appended with CR LF to "Log.TXT" beside the
// executable while the log switch is on, or in the user's own folder when
// StartLog finds the executable's folder cannot be written.
#pragma once

#include <cstddef>
#include <functional>

// Large enough for the longest message whole: the play script's camera line
// carries a 512-byte name beside its numbers.
constexpr size_t kLogLineSize = 2048;
constexpr size_t kExeDirectorySize = 512;

extern int logEnabled;
extern char exeDirectory[kExeDirectorySize];
// Where StartLog put the log when it could not go beside the program, with
// its trailing separator; empty while the log is beside the program.
extern char userLogDirectory[kExeDirectorySize];
extern char logLine[kLogLineSize];

void WriteLog(const char* text);
void StartLog(int enabled);
void FindExeDirectory();

// Formats into logLine as by sprintf, cut to fit, and writes it.
void WriteLogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Every line as it is written, whether the log is kept or not, for a tool
// that shows them as they come (the preview's bar); empty for none.
using LogListener = std::function<void(const char* line)>;
void ListenToLog(LogListener listener);
