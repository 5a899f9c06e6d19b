// main.cpp: zephconf, the web administration program of a Zephyr Ledger Desk
// database, started by a web server once per request.
#include "admin/PageShell.h"
#include "cgi/Output.h"
#include "request/Dispatcher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {

// The database's files are opened after the standard streams. A stream that
// the starter left closed would hand its number to one of them, and what is
// meant for the answer or the server's log would land in the database's file.
void OpenMissingStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", O_RDWR);  // the lowest free number: this one
}

}  // namespace

int main(int argc, char** argv)
{
    OpenMissingStandardStreams();
    // A write beyond the file-size limit must fail with an error that the file
    // layer answers by putting the file back, not kill the request part-way
    // through a rewrite (which leaves stray bytes at the end of the file).
    std::signal(SIGXFSZ, SIG_IGN);
    int status = 1;
    try {
        status = RunRequest(argc > 0 ? argv[0] : nullptr);
    } catch (const std::bad_alloc&) {
        // Out of memory, wherever it ran out: the answer so far, then a
        // heading written without asking for memory again.
        FlushOutput();
        WriteFully(STDOUT_FILENO, OutOfMemoryHeading);
        return 1;
    }
    FlushOutput();
    return status;
}
