#include "support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/temp_files.h"

namespace velmora::testing {

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         double timeLimitSeconds) {
    ProgramResult result;
    const std::string folder = MakeTempDirectory();
    std::string errorPath = folder + "/stderr.txt";
    std::string outputPath = folder + "/stdout.txt";
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        if (chdir(directory.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : environment) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        int errorFile = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errorFile >= 0) dup2(errorFile, 2);
        int outputFile = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outputFile >= 0) dup2(outputFile, 1);
        int nullFile = open("/dev/null", O_RDWR);
        if (nullFile >= 0) {
            dup2(nullFile, 0);
            if (outputFile < 0) dup2(nullFile, 1);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    for (;;) {
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            result.finished = true;
            break;
        }
        double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > timeLimitSeconds) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result.finished && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    result.standardError = ReadFile(errorPath);
    result.standardOutput = ReadFile(outputPath);
    return result;
}

}  // namespace velmora::testing
