// DeferTermination.h: holds back the signals that end a process (a web server
// ending a CGI program whose browser went away, Ctrl-C at a terminal) while the
// database's file is being changed, so that no change is cut off part-way.
#pragma once

#include <signal.h>

// While an object lives, SIGHUP, SIGINT, SIGQUIT and SIGTERM wait; one that
// arrived meanwhile takes effect when the object goes (normally ending the
// process, after the change is complete). SIGKILL cannot be held back.
class CDeferTermination {
public:
    CDeferTermination();
    ~CDeferTermination();
    CDeferTermination(const CDeferTermination&) = delete;
    CDeferTermination& operator=(const CDeferTermination&) = delete;

private:
    sigset_t previous;
};
