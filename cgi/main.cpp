// main.cpp: zephconf, the web administration program of a Zephyr Ledger Desk
// database, started by a web server once per request.
#include "cgi/Dispatcher.h"
#include "cgi/Output.h"

int main(int argc, char** argv)
{
    int status = RunRequest(argc > 0 ? argv[0] : nullptr);
    FlushOutput();
    return status;
}
