#include "platform/WorkerPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace kelvaris {

void lowerThisThreadsPriority()
{
    // A niceness of 5 weighs a third of the GUI thread's 0 when both run:
    // the worker still gets any core the GUI thread leaves free.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
}

} // namespace kelvaris
