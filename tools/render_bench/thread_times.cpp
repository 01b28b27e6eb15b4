#include "render_bench/thread_times.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace velmora::tools {

namespace {

// utime + stime of one task, in seconds; the fields after the name, which is
// in parentheses and may hold blanks.
double TaskSeconds(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return 0.0;
    char line[1024];
    size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    const char* after = std::strrchr(line, ')');
    if (!after) return 0.0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(after + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) != 2)
        return 0.0;
    long ticks = sysconf(_SC_CLK_TCK);
    return ticks > 0 ? static_cast<double>(utime + stime) / static_cast<double>(ticks) : 0.0;
}

}  // namespace

CpuTimes TakeCpuTimes() {
    CpuTimes times;
    const long self = syscall(SYS_gettid);
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return times;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        double seconds = TaskSeconds(std::string("/proc/self/task/") + entry->d_name + "/stat");
        if (std::strtol(entry->d_name, nullptr, 10) == self)
            times.callerSeconds += seconds;
        else
            times.otherSeconds += seconds;
    }
    closedir(tasks);
    return times;
}

void SetRunFigures(RunFigures& figures, int frames, double wallSeconds, const CpuTimes& before,
                   const CpuTimes& after) {
    if (frames <= 0 || wallSeconds <= 0.0) return;
    figures.framesPerSecond = frames / wallSeconds;
    figures.callerMsPerFrame = 1000.0 * (after.callerSeconds - before.callerSeconds) / frames;
    figures.otherMsPerFrame = 1000.0 * (after.otherSeconds - before.otherSeconds) / frames;
}

}  // namespace velmora::tools
