#include "ChildProcessSignals.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace zandor::platform {

bool InterruptProcess(qint64 processId)
{
    return processId > 0 && ::kill(static_cast<pid_t>(processId), SIGINT) == 0;
}

void EndWithParentProcess()
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

}  // namespace zandor::platform
