// main.cpp: zephconf, the web administration program of a Zephyr Ledger Desk
// database, started by a web server once per request.
#include "cgi/Output.h"
#include "cgi/ProcessSetup.h"
#include "request/Dispatcher.h"

int main(int argc, char** argv)
{
    PrepareProcess();
    int status = RunRequest(argc > 0 ? argv[0] : nullptr);
    FlushOutput();
    return status;
}
