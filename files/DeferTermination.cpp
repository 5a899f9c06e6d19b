// DeferTermination.cpp: blocking the termination signals around a file change.
#include "files/DeferTermination.h"

CDeferTermination::CDeferTermination()
{
    sigset_t held;
    sigemptyset(&held);
    for (int signal : TerminationSignals)
        sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &previous);
}

CDeferTermination::~CDeferTermination()
{
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}
