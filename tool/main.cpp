// main.cpp: zephconf-admin, the shell tool with which the owner of a Zephyr
// Ledger Desk database makes a new database and sets what the web form does
// not offer: the administration password and remote administration.
#include "base/Output.h"
#include "base/ProcessSetup.h"
#include "base/Version.h"
#include "tool/CommandFailure.h"
#include "tool/create/CreateDatabase.h"
#include "tool/database/DatabaseArgument.h"
#include "tool/database/History.h"
#include "tool/create/DatabaseModel.h"
#include "tool/create/PasswordEntry.h"
#include "tool/database/SettingChange.h"
#include "tool/database/Status.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include <unistd.h>

#define ZEPH_TEXT(value) #value
#define ZEPH_NUMBER_TEXT(value) ZEPH_TEXT(value)
#define ZEPH_HISTORY_TEXT ZEPH_NUMBER_TEXT(ZEPH_HISTORY_VERSIONS)

namespace {

const char* const Usage =
    "usage: zephconf-admin set-password|enable-remote|disable-remote|status|history DATABASE\n"
    "       zephconf-admin diff|restore DATABASE N\n"
    "       zephconf-admin create [--owner USER] [--from FILE] FOLDER\n";

const std::string Help = std::string() +
    "usage: zephconf-admin COMMAND DATABASE\n"
    "       zephconf-admin diff|restore DATABASE N\n"
    "       zephconf-admin create [--owner USER] [--from FILE] FOLDER\n"
    "       zephconf-admin --help | --version\n"
    "\n"
    "Makes a new Zephyr Ledger Desk database, sets the administration password\n"
    "and remote administration of one, which the web form of zephconf does\n"
    "not offer, and shows and restores the earlier versions of its file that\n"
    "every change keeps. A change takes the file's lock and replaces the file\n"
    "whole, as the web form's Configure does. Run by root on a folder that\n"
    "another user owns, the tool acts as that user.\n"
    "\n"
    "DATABASE is the database's folder (.../members) or its file\n"
    "(.../members/members.ini).\n"
    "\n"
    "Commands:\n"
    "  create          make FOLDER and its NAME.ini (NAME: the folder's last name)\n"
    "                  from a model, owned by " + WebServerUser + " or --owner USER;\n"
    "                  the administration password asked as set-password asks\n"
    "                  it, remote administration on, every other password of the\n"
    "                  database random; the model is --from FILE (a .ini file), or\n"
    "                  " + DefaultModel + "\n"
    "  set-password    set the administration password: asked twice on a\n"
    "                  terminal, else one line read from standard input\n"
    "  enable-remote   allow web administration\n"
    "  disable-remote  refuse all web administration\n"
    "  status          show the file, its number of entry items, whether remote\n"
    "                  administration is on, whether a password is set and\n"
    "                  which of the database's own passwords are empty\n"
    "  history         list the kept earlier versions of the file, newest (1)\n"
    "                  first: when and by whom each was replaced, and the\n"
    "                  settings that changed\n"
    "  diff N          show the settings that differ between version N and the\n"
    "                  file (passwords only as \"(changed)\")\n"
    "  restore N       put version N back; what it replaces is kept as a new\n"
    "                  version, so a restore can be undone\n"
    "\n"
    "Every change keeps the content it replaces in the folder zephconf-history\n"
    "of the database's folder (the newest " ZEPH_HISTORY_TEXT "), with the file's owner and\n"
    "mode: the versions hold the same passwords.\n"
    "\n"
    "Exit status: 0 the file holds what was asked; 1 refused or failed, the file\n"
    "as it was (create: nothing made); 2 usage error; 3 the change is in the file\n"
    "(create: the database made), but could not be reported or the folder's sync\n"
    "failed.\n";

// What a change says: what changed, never a value. `done` for a change,
// `already` after "nothing changed: " for none; a change of the line ends
// alone says so, with `still` after it.
std::string Said(const SettingChange& change, const std::string& file, const std::string& done,
                 const std::string& already, const std::string& still)
{
    if (change.settingChanged)
        return done + NotKeptNote(change) + "\n";
    if (change.lineEndsRewritten)
        return "line ends of " + file + " rewritten from CR LF to LF; " + still + "\n";
    return "nothing changed: " + already + "\n";
}

std::string SetPassword(const DatabaseFile& file, const std::string& password)
{
    const SettingChange change = ChangeSettings(file, {{Setting::AdminPassword, password}});
    return Said(change, file.shown, "administration password set for " + file.shown,
                file.shown + " already has that administration password", "it already had that administration password");
}

std::string SetRemoteAdministration(const DatabaseFile& file, bool on)
{
    const std::string state = on ? "enabled" : "disabled";
    const SettingChange change = ChangeSettings(file, {{Setting::RemoteAdmin, on ? "1" : "0"}});
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
    // A command that names a version (diff, restore): run with its number instead.
    std::string (*runOnVersion)(const DatabaseFile& file, int number) = nullptr;
};

const Command Commands[] = {
    {"set-password", true, true, SetPassword},
    {"enable-remote", false, true,
     [](const DatabaseFile& file, const std::string&) { return SetRemoteAdministration(file, true); }},
    {"disable-remote", false, true,
     [](const DatabaseFile& file, const std::string&) { return SetRemoteAdministration(file, false); }},
    {"status", false, false, [](const DatabaseFile& file, const std::string&) { return StatusText(file); }},
    {"history", false, false, [](const DatabaseFile& file, const std::string&) { return HistoryText(file); }},
    {"diff", false, false, nullptr, DifferencesText},
    {"restore", false, true, nullptr, RestoreVersion},
};

// A version number: 1 to 999999, in decimal digits only; 0 when it is none.
int VersionNumber(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(text);
}

// Every message to standard error is one line in one write.
int Fail(const std::string& problem, int status)
{
    WriteFully(STDERR_FILENO, "zephconf-admin: " + problem + "\n" + (status == ExitUsage ? Usage : ""));
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

int Run(const Command& command, const std::string& database, int number)
{
    const DatabaseFile file = EnterDatabase(database);
    const std::string password = command.asksPassword ? ReadNewPassword() : std::string();
    const std::string said =
        command.runOnVersion != nullptr ? command.runOnVersion(file, number) : command.run(file, password);
    return Report(said, command.changes ? file.shown : std::string());
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// create [--owner USER] [--from FILE] FOLDER, from argv[2] on.
int Create(int argc, char** argv)
{
    NewDatabase order {"", WebServerUser, DefaultModel};
    bool ownerGiven = false, modelGiven = false;
    std::vector<std::string> folders;
    for (int at = 2; at < argc; ++at) {
        const std::string arg = argv[at];
        const bool owner = arg == "--owner", model = arg == "--from";
        if (owner || model) {
            bool& given = owner ? ownerGiven : modelGiven;
            if (given)
                return Fail(arg + " given twice", ExitUsage);
            if (at + 1 == argc || argv[at + 1][0] == '\0')
                return Fail(arg + (owner ? " needs a USER" : " needs a FILE"), ExitUsage);
            given = true;
            (owner ? order.owner : order.model) = argv[++at];
        } else if (!arg.empty() && arg[0] == '-') {
            return Fail("unknown option " + arg, ExitUsage);
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.size() != 1)
        return Fail(folders.empty() ? "no FOLDER given" : "one FOLDER only", ExitUsage);
    if (folders[0].empty())
        return Fail("an empty FOLDER", ExitUsage);
    if (!EndsWith(order.model, ".ini"))
        return Fail("the model " + order.model + " is no database's .ini file", ExitUsage);
    order.folder = folders[0];
    const std::string said = CreateDatabase(order);
    return Report(said, order.folder);
}

// Runs a command; its failure is the one line and status it carries.
int Guarded(const std::function<int()>& command)
{
    try {
        return command();
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
        return Report(Help, {});
    if (argc == 2 && first == "--version")
        return Report(std::string("zephconf-admin ") + ProgramVersion + "\n", {});
    if (argc < 2)
        return Fail("no command given", ExitUsage);
    if (first == "create")
        return Guarded([&] { return Create(argc, argv); });

    const Command* command = nullptr;
    for (const Command& candidate : Commands)
        if (first == candidate.name)
            command = &candidate;
    if (command == nullptr)
        return Fail((first[0] == '-' ? "unknown option " : "unknown command ") + first, ExitUsage);
    const int arguments = command->runOnVersion != nullptr ? 4 : 3;
    if (argc < 3)
        return Fail("no DATABASE given", ExitUsage);
    if (argc < arguments)
        return Fail("no version number N given", ExitUsage);
    if (argc > arguments)
        return Fail(arguments == 3 ? "one DATABASE only" : "one DATABASE and one N only", ExitUsage);
    const int number = arguments == 4 ? VersionNumber(argv[3]) : 0;
    if (arguments == 4 && number == 0)
        return Fail("not a version number: " + std::string(argv[3]), ExitUsage);
    const std::string database = argv[2];
    // A database path that begins with "-" is written ./-name.
    if (database.empty() || database[0] == '-')
        return Fail(database.empty() ? "an empty DATABASE" : "unknown option " + database, ExitUsage);

    return Guarded([&] { return Run(*command, database, number); });
}
