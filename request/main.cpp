// main.cpp: zephconf, the web administration program of a Zephyr Ledger Desk
// database, started by a web server once per request.
#include "cgi/Output.h"
#include "request/Dispatcher.h"

#include <csignal>

int main(int argc, char** argv)
{
    // A write beyond the file-size limit must fail with an error that the file
    // layer answers by putting the file back, not kill the request part-way
    // through a rewrite (which leaves stray bytes at the end of the file).
    std::signal(SIGXFSZ, SIG_IGN);
    int status = RunRequest(argc > 0 ? argv[0] : nullptr);
    FlushOutput();
    return status;
}
