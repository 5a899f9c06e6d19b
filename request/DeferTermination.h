// DeferTermination.h: holds back the signals with which a web server ends a CGI
// program (the browser went away, the request took too long) while the
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
