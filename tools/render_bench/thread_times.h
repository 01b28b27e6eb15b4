// CPU time of the benchmark's own thread and of every other thread of the
// process (the rasteriser threads of a software OpenGL driver), so that the
// two sides of the comparison can be seen doing the same work.
#pragma once

namespace velmora::tools {

struct CpuTimes {
    double callerSeconds = 0.0;  // the thread that takes the snapshot
    double otherSeconds = 0.0;   // all the process's other threads together
};

// The process's CPU time so far, split as above, read from /proc; zeros
// where /proc cannot be read.
CpuTimes TakeCpuTimes();

// What one side of the comparison measured over its timed frames.
struct RunFigures {
    double framesPerSecond = 0.0;
    double callerMsPerFrame = 0.0;
    double otherMsPerFrame = 0.0;
};

// Fills figures from the wall time and the CPU times around frames frames.
void SetRunFigures(RunFigures& figures, int frames, double wallSeconds, const CpuTimes& before,
                   const CpuTimes& after);

}  // namespace velmora::tools
