// An ffmpeg process the capture starts: its arguments passed as they are (no
// shell), its standard error kept in a file for the one line an error shows,
// in a process group of its own so that Ctrl+C on the terminal reaches the
// capture only, which then stops it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora::tools {

// The path of name in a folder of PATH where it can be run; empty when none.
std::string FindOnPath(const std::string& name);

class FfmpegProcess {
public:
    FfmpegProcess() = default;
    FfmpegProcess(const FfmpegProcess&) = delete;
    FfmpegProcess& operator=(const FfmpegProcess&) = delete;
    // Kills a process still running.
    ~FfmpegProcess();

    // Starts program with arguments; standard error goes to errorLog. With
    // feed, standard input is a pipe that input() writes to, else /dev/null.
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& errorLog, bool feed, std::string& why);
    int input() const { return input_; }
    pid_t process() const { return process_; }
    // Closes the pipe, so that ffmpeg sees the end of its input.
    void CloseInput();
    // Waits for the end; true when it exited with 0. Otherwise why holds the
    // last line ffmpeg wrote, or how it ended.
    bool Wait(std::string& why);
    // Kills it and waits for it.
    void Kill();

private:
    pid_t process_ = -1;
    int input_ = -1;
    std::string errorLog_;
};

}  // namespace velmora::tools
