// main.cpp: zephconf-admin, the shell tool with which the owner of a Zephyr
// Ledger Desk database sets what the web form does not offer: the
// administration password and remote administration.
#include "cgi/Output.h"
#include "cgi/ProcessSetup.h"
#include "cgi/Version.h"
#include "config/SettingTable.h"
#include "tool/CommandFailure.h"
#include "tool/DatabaseArgument.h"
#include "tool/PasswordEntry.h"
#include "tool/SettingChange.h"
#include "tool/Status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// The two settings the tool changes.
const SettingRow& PasswordRow = RowOf(Setting::AdminPassword);
const SettingRow& RemoteRow = RowOf(Setting::RemoteAdmin);

const char* const Usage =
    "usage: zephconf-admin set-password|enable-remote|disable-remote|status DATABASE\n";

const char* const Help =
    "usage: zephconf-admin COMMAND DATABASE\n"
    "       zephconf-admin --help | --version\n"
    "\n"
    "Sets the administration password and remote administration of a Zephyr\n"
    "Ledger Desk database, which the web form of zephconf does not offer. A\n"
    "change takes the file's lock and replaces the file whole, as the web form's\n"
    "Configure does.\n"
    "\n"
    "DATABASE is the database's folder (.../members) or its file\n"
    "(.../members/members.ini).\n"
    "\n"
    "Commands:\n"
    "  set-password    set the administration password: asked twice on a\n"
    "                  terminal, else one line read from standard input\n"
    "  enable-remote   allow web administration\n"
    "  disable-remote  refuse all web administration\n"
    "  status          show the file, its number of entry items, whether remote\n"
    "                  administration is on and whether a password is set\n"
    "\n"
    "Exit status: 0 done, 1 failed or refused, 2 usage error.\n";

// What the changes say: what changed, never a value.
void Report(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
}

void SetPassword(const std::string& iniPath)
{
    const std::string password = ReadNewPassword();
    if (ChangeSetting(iniPath, PasswordRow.section, PasswordRow.key, password))
        Report("administration password set for " + iniPath);
    else
        Report("nothing changed: " + iniPath + " already has that administration password");
}

void SetRemoteAdministration(const std::string& iniPath, bool on)
{
    const std::string state = on ? "enabled" : "disabled";
    if (ChangeSetting(iniPath, RemoteRow.section, RemoteRow.key, on ? "1" : "0"))
        Report("remote administration " + state + " for " + iniPath);
    else
        Report("nothing changed: remote administration already " + state + " for " + iniPath);
}

struct Command {
    const char* name;
    void (*run)(const std::string& iniPath);
};

const Command Commands[] = {
    {"set-password", SetPassword},
    {"enable-remote", [](const std::string& iniPath) { SetRemoteAdministration(iniPath, true); }},
    {"disable-remote", [](const std::string& iniPath) { SetRemoteAdministration(iniPath, false); }},
    {"status", ShowStatus},
};

// Every message to standard error is one line in one write.
int Fail(const std::string& problem, int status)
{
    WriteFully(STDERR_FILENO, "zephconf-admin: " + problem + "\n" + (status == 2 ? Usage : ""));
    return status;
}

// Success, once what was said on standard output has been written out.
int Done()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Fail(std::string("cannot write to standard output: ") + std::strerror(errno), 1);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareProcess();
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && first == "--help") {
        std::fputs(Help, stdout);
        return Done();
    }
    if (argc == 2 && first == "--version") {
        std::printf("zephconf-admin %s\n", ProgramVersion);
        return Done();
    }
    if (argc < 2)
        return Fail("no command given", 2);

    const Command* command = nullptr;
    for (const Command& candidate : Commands)
        if (first == candidate.name)
            command = &candidate;
    if (command == nullptr)
        return Fail((first[0] == '-' ? "unknown option " : "unknown command ") + first, 2);
    if (argc != 3)
        return Fail(argc < 3 ? "no DATABASE given" : "one DATABASE only", 2);
    const std::string database = argv[2];
    // A database path that begins with "-" is written ./-name.
    if (database.empty() || database[0] == '-')
        return Fail(database.empty() ? "an empty DATABASE" : "unknown option " + database, 2);

    try {
        command->run(DatabaseIniPath(database));
    } catch (const std::exception& failure) {
        return Fail(failure.what(), 1);
    }
    return Done();
}
