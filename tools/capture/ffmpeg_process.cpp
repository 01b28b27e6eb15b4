#include "ffmpeg_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace velmora::tools {

namespace {

// The last line with something in it, without its line end.
std::string LastLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line, last;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) last = line;
    }
    return last;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        // An empty entry is the current folder, as for the shell.
        std::string folder = end > start ? folders.substr(start, end - start) : ".";
        std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

FfmpegProcess::~FfmpegProcess() { Kill(); }

bool FfmpegProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& errorLog, bool feed, std::string& why) {
    errorLog_ = errorLog;
    int pipeEnds[2] = {-1, -1};
    if (feed && pipe2(pipeEnds, O_CLOEXEC) != 0) {
        why = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    if (feed)
        posix_spawn_file_actions_adddup2(&files, pipeEnds[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errorLog.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The capture ignores SIGPIPE and catches SIGINT; ffmpeg gets the defaults.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, signal);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t process = -1;
    int failed = posix_spawn(&process, program.c_str(), &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (feed) close(pipeEnds[0]);
    if (failed != 0) {
        if (feed) close(pipeEnds[1]);
        why = "cannot start " + program + ": " + std::strerror(failed);
        return false;
    }
    process_ = process;
    if (feed) {
        input_ = pipeEnds[1];
        // A larger pipe lets ffmpeg read while the next frame is drawn (best effort).
        fcntl(input_, F_SETPIPE_SZ, 1 << 20);
    }
    return true;
}

void FfmpegProcess::CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

bool FfmpegProcess::Wait(std::string& why) {
    CloseInput();
    if (process_ <= 0) {
        why = "ffmpeg was not started";
        return false;
    }
    int status = 0;
    pid_t done;
    do {
        done = waitpid(process_, &status, 0);
    } while (done < 0 && errno == EINTR);
    process_ = -1;
    if (done < 0) {
        why = std::string("lost ffmpeg: ") + std::strerror(errno);
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    std::string said = LastLine(errorLog_);
    if (WIFSIGNALED(status))
        why = "ffmpeg was stopped by signal " + std::to_string(WTERMSIG(status));
    else
        why = "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    if (!said.empty()) why += ": " + said;
    return false;
}

void FfmpegProcess::Kill() {
    CloseInput();
    if (process_ <= 0) return;
    kill(process_, SIGKILL);
    while (waitpid(process_, nullptr, 0) < 0 && errno == EINTR) {
    }
    process_ = -1;
}

}  // namespace velmora::tools
