// main.cpp: zephconf-admin, the shell tool with which the owner of a Zephyr
// Ledger Desk database sets what the web form does not offer: the
// administration password and remote administration.
#include "base/Output.h"
#include "base/ProcessSetup.h"
#include "base/Version.h"
#include "config/SettingTable.h"
#include "tool/CommandFailure.h"
#include "tool/DatabaseArgument.h"
#include "tool/PasswordEntry.h"
#include "tool/SettingChange.h"
#include "tool/Status.h"

#include <cerrno>
#include <csignal>
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
    "Configure does. Run by root on a folder that another user owns, the tool\n"
    "acts as that user.\n"
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
    "Exit status: 0 the file holds what was asked; 1 refused or failed, the file\n"
    "as it was; 2 usage error; 3 the change is in the file, but could not be\n"
    "reported or the folder's sync failed.\n";

// What a change says: what changed, never a value. `done` for a change,
// `already` after "nothing changed: " for none; a change of the line ends
// alone says so, with `still` after it.
std::string Said(const SettingChange& change, const std::string& file, const std::string& done,
                 const std::string& already, const std::string& still)
{
    if (change.settingChanged)
        return done + "\n";
    if (change.lineEndsRewritten)
        return "line ends of " + file + " rewritten from CR LF to LF; " + still + "\n";
    return "nothing changed: " + already + "\n";
}

std::string SetPassword(const DatabaseFile& file, const std::string& password)
{
    const SettingChange change = ChangeSetting(file, PasswordRow.section, PasswordRow.key, password);
    return Said(change, file.shown, "administration password set for " + file.shown,
                file.shown + " already has that administration password", "it already had that administration password");
}

std::string SetRemoteAdministration(const DatabaseFile& file, bool on)
{
    const std::string state = on ? "enabled" : "disabled";
    const SettingChange change = ChangeSetting(file, RemoteRow.section, RemoteRow.key, on ? "1" : "0");
    return Said(change, file.shown, "remote administration " + state + " for " + file.shown,
                "remote administration already " + state + " for " + file.shown,
                "remote administration already " + state);
}

struct Command {
    const char* name;
    bool asksPassword;
    bool changes;  // the file may be changed: a report that fails is exit status 3
    // What the command says on standard output.
    std::string (*run)(const DatabaseFile& file, const std::string& password);
};

const Command Commands[] = {
    {"set-password", true, true, SetPassword},
    {"enable-remote", false, true,
     [](const DatabaseFile& file, const std::string&) { return SetRemoteAdministration(file, true); }},
    {"disable-remote", false, true,
     [](const DatabaseFile& file, const std::string&) { return SetRemoteAdministration(file, false); }},
    {"status", false, false, [](const DatabaseFile& file, const std::string&) { return StatusText(file); }},
};

// Every message to standard error is one line in one write.
int Fail(const std::string& problem, int status)
{
    WriteFully(STDERR_FILENO, "zephconf-admin: " + problem + "\n" + (status == ExitUsage ? Usage : ""));
    return status;
}

// Says `text` on standard output: done, or the failure that tells so.
int Say(const std::string& text)
{
    if (!WriteFully(STDOUT_FILENO, text))
        return Fail(std::string("cannot write to standard output: ") + std::strerror(errno), ExitAsItWas);
    return ExitDone;
}

int Run(const Command& command, const std::string& database)
{
    const DatabaseFile file = EnterDatabase(database);
    const std::string password = command.asksPassword ? ReadNewPassword() : std::string();
    const std::string said = command.run(file, password);
    if (!WriteFully(STDOUT_FILENO, said)) {
        const std::string error = std::strerror(errno);
        if (command.changes)
            return Fail(file.shown + " holds what was asked, but standard output failed: " + error, ExitUnconfirmed);
        return Fail("cannot write to standard output: " + error, ExitAsItWas);
    }
    return ExitDone;
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
        return Say(Help);
    if (argc == 2 && first == "--version")
        return Say(std::string("zephconf-admin ") + ProgramVersion + "\n");
    if (argc < 2)
        return Fail("no command given", ExitUsage);

    const Command* command = nullptr;
    for (const Command& candidate : Commands)
        if (first == candidate.name)
            command = &candidate;
    if (command == nullptr)
        return Fail((first[0] == '-' ? "unknown option " : "unknown command ") + first, ExitUsage);
    if (argc != 3)
        return Fail(argc < 3 ? "no DATABASE given" : "one DATABASE only", ExitUsage);
    const std::string database = argv[2];
    // A database path that begins with "-" is written ./-name.
    if (database.empty() || database[0] == '-')
        return Fail(database.empty() ? "an empty DATABASE" : "unknown option " + database, ExitUsage);

    try {
        return Run(*command, database);
    } catch (const CommandFailure& failure) {
        return Fail(failure.what(), failure.Status());
    } catch (const std::exception& failure) {
        return Fail(failure.what(), ExitAsItWas);
    }
}
