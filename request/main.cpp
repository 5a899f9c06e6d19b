// main.cpp: zephconf, the web administration program of a Zephyr Ledger Desk
// database, started by a web server once per request.
#include "admin/PageShell.h"
#include "base/Output.h"
#include "base/ProcessSetup.h"
#include "request/Dispatcher.h"

#include <new>
#include <unistd.h>

int main(int argc, char** argv)
{
    PrepareProcess();
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
