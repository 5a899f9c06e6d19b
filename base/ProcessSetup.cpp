// ProcessSetup.cpp: standard streams and the file-size signal at start.
#include "base/ProcessSetup.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

void PrepareProcess()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", O_RDWR);  // the lowest free number: this one
    std::signal(SIGXFSZ, SIG_IGN);
}
