#include "ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void applyCurrentThreadPriority(TThreadPriority priority)
{
    // Normal threads on Linux share one scheduling class; their weight is the
    // per-thread nice value, so the priorities map onto nice levels.
    static const int niceLevels[] = {19, 10, 5, 0, -5, -10, -20};
    const int index = static_cast<int>(priority);
    if (index < 0 || index > 6)
        return;
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, tid, niceLevels[index]);
}
