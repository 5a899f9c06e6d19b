// DeferTermination.h: holds back the signals that end a process (a web server
// ending a CGI program whose browser went away, Ctrl-C at a terminal, a timer
// or resource limit running out) while the database's file is being changed,
// so that no change is cut off part-way.
#pragma once

#include <signal.h>

// The signals that end a process by default and that it may catch: sent by a
// user, a terminal, a web server, a timer or a resource limit. The signals of
// a fault in the process itself (SIGSEGV, SIGBUS, ...) are not among them, nor
// SIGKILL, which cannot be caught.
inline constexpr int TerminationSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGALRM,   SIGUSR1,
                                             SIGUSR2, SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

// While an object lives, the TerminationSignals wait; one that arrived
// meanwhile takes effect when the object goes (normally ending the process,
// after the change is complete). SIGKILL cannot be held back.
class CDeferTermination {
public:
    CDeferTermination();
    ~CDeferTermination();
    CDeferTermination(const CDeferTermination&) = delete;
    CDeferTermination& operator=(const CDeferTermination&) = delete;

private:
    sigset_t previous;
};
