// main.cpp: zephconf-admin, the shell tool with which the owner of a Zephyr
// Ledger Desk database makes a new database and sets what the web form does
// not offer: the administration password and remote administration. The
// commands are the rows of the command table; this file looks one up, runs
// it, and says what came of it.
#include "base/Output.h"
#include "base/ProcessSetup.h"
#include "base/Version.h"
#include "tool/CommandFailure.h"
#include "tool/CommandTable.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

// Every message to standard error is one line in one write.
int Fail(const std::string& problem, int status)
{
    WriteFully(STDERR_FILENO, "zephconf-admin: " + problem + "\n" + (status == ExitUsage ? UsageText() : ""));
    return status;
}

// Says what a command did; `changed` names what holds the change when that
// cannot be said (empty: nothing was changed).
int Report(const std::string& said, const std::string& changed)
{
    if (!WriteFully(STDOUT_FILENO, said)) {
        const std::string error = std::strerror(errno);
        if (!changed.empty())
            return Fail(changed + " holds what was asked, but standard output failed: " + error, ExitUnconfirmed);
        return Fail("cannot write to standard output: " + error, ExitAsItWas);
    }
    return ExitDone;
}

// Runs `command` on `arguments`; its failure is the one line and status it
// carries.
int Run(const ToolCommand& command, const std::vector<std::string>& arguments)
{
    try {
        const CommandOutput output = command.run(arguments);
        return Report(output.text, output.changed);
    } catch (const CommandFailure& failure) {
        return Fail(failure.what(), failure.Status());
    } catch (const std::exception& failure) {
        return Fail(failure.what(), ExitAsItWas);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareProcess();
    // A closed standard output is a write error that the tool reports (a
    // change made must be told), never its end. Only the password prompt
    // lets the signal end the tool, when nothing has been done yet.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && first == "--help")
        return Report(HelpText(), {});
    if (argc == 2 && first == "--version")
        return Report(std::string("zephconf-admin ") + ProgramVersion + "\n", {});
    if (argc < 2)
        return Fail("no command given", ExitUsage);
    const ToolCommand* command = CommandNamed(first);
    if (command == nullptr)
        return Fail((first[0] == '-' ? "unknown option " : "unknown command ") + first, ExitUsage);
    return Run(*command, std::vector<std::string>(argv + 2, argv + argc));
}
