#include "platform/threadpriority.h"

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zx::platform {

namespace {
// From linux/ioprio.h, which is not always installed.
constexpr int kIoprioClassShift = 13;
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioWhoProcess = 1;   // with who = 0: the calling thread
}  // namespace

bool setCurrentThreadIdlePriority()
{
    bool ok = true;
    sched_param param{};
    param.sched_priority = 0;
    // pid 0 means the calling thread for the scheduler calls on Linux.
    if (sched_setscheduler(0, SCHED_IDLE, &param) != 0)
        ok = false;
#ifdef SYS_ioprio_set
    if (syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassIdle << kIoprioClassShift) != 0)
        ok = false;
#else
    ok = false;
#endif
    return ok;
}

}  // namespace zx::platform
