#include "interrupt.h"

#include <signal.h>

#include <atomic>

namespace velmora::tools {

namespace {

volatile sig_atomic_t caught = 0;
std::atomic<pid_t> processToStop{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

void OnSignal(int signal) {
    caught = signal;
    pid_t process = processToStop.load();
    if (process > 0) kill(process, SIGKILL);
}

}  // namespace

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a write blocked on ffmpeg's pipe returns.
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

int InterruptSignal() { return caught; }

void SetProcessToStop(pid_t process) { processToStop.store(process); }

}  // namespace velmora::tools
