#include "Interrupt.h"

#include "ExitCodes.h"

#include <csignal>
#include <cstring>
#include <signal.h>
#include <unistd.h>

namespace zandor::cli {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;
volatile std::sig_atomic_t gProgressLineOpen = 0;
constexpr int kMaxForwarded = 64;  // board processes of one gang run
pid_t gForwardTo[kMaxForwarded];
volatile std::sig_atomic_t gForwardCount = 0;

void OnInterrupt(int)
{
    for (int i = 0; i < gForwardCount; ++i)
        ::kill(gForwardTo[i], SIGINT);
    if (++gInterrupts < 2)
        return;
    // Only async-signal-safe calls from here on.
    if (gProgressLineOpen)
        (void)!::write(STDERR_FILENO, "\n", 1);
    ::_exit(kExitInterrupted);
}

}  // namespace

void InstallInterruptHandler()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return gInterrupts > 0; }

void SetProgressLineOpen(bool open) { gProgressLineOpen = open ? 1 : 0; }

void ForwardInterruptsTo(long processId)
{
    if (gForwardCount < kMaxForwarded) {
        gForwardTo[gForwardCount] = static_cast<pid_t>(processId);
        gForwardCount = gForwardCount + 1;
    }
}

}  // namespace zandor::cli
