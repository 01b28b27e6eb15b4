// Ctrl+C, kill and a closed terminal stop a capture cleanly: the handler only
// notes the signal and stops the ffmpeg process under way, so that a write
// to it returns at once; the capture then ends the show and removes what it
// made. A broken pipe to ffmpeg is an error a write returns, not a signal.
#pragma once

#include <sys/types.h>

namespace velmora::tools {

void InstallInterruptHandlers();
// The signal that asked the capture to stop, 0 while none has.
int InterruptSignal();
// The child process the handler kills (0: none).
void SetProcessToStop(pid_t process);

}  // namespace velmora::tools
