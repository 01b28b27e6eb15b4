// Runs a program as a child process with a chosen environment and time limit.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace velmora::testing {

struct ProgramResult {
    bool finished = false;  // false when it had to be killed at the time limit
    int exitStatus = -1;    // exit status when it exited normally
    std::string standardError;
    std::string standardOutput;
    double seconds = 0.0;
};

// Runs program with arguments in directory. The environment is the test's own
// with the named variables set (an empty value removes the variable).
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         double timeLimitSeconds);

}  // namespace velmora::testing
