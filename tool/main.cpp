// main.cpp: zephconf-admin, the shell tool with which the owner of a Zephyr
// Ledger Desk database sets what the web form does not offer: the
// administration password and remote administration.
#include "cgi/Output.h"
#include "cgi/ProcessSetup.h"
#include "cgi/Version.h"
#include "tool/CommandFailure.h"
#include "tool/DatabaseArgument.h"
#include "tool/History.h"
#include "tool/PasswordEntry.h"
#include "tool/SettingChange.h"
#include "tool/Status.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <unistd.h>

#define ZEPH_TEXT(value) #value
#define ZEPH_NUMBER_TEXT(value) ZEPH_TEXT(value)
#define ZEPH_HISTORY_TEXT ZEPH_NUMBER_TEXT(ZEPH_HISTORY_VERSIONS)

namespace {

const char* const Section = "Administration";
const char* const PasswordKey = "Administration password";
const char* const RemoteKey = "Enable Remote Administration";

const char* const Usage =
    "usage: zephconf-admin set-password|enable-remote|disable-remote|status|history DATABASE\n"
    "       zephconf-admin diff|restore DATABASE N\n";

const char* const Help =
    "usage: zephconf-admin COMMAND DATABASE\n"
    "       zephconf-admin diff|restore DATABASE N\n"
    "       zephconf-admin --help | --version\n"
    "\n"
    "Sets the administration password and remote administration of a Zephyr\n"
    "Ledger Desk database, which the web form of zephconf does not offer, and\n"
    "shows and restores the earlier versions of its file that every change\n"
    "keeps. A change takes the file's lock and replaces the file whole, as the\n"
    "web form's Configure does. Run by root on a folder that another user owns,\n"
    "the tool acts as that user.\n"
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
    "as it was; 2 usage error; 3 the change is in the file, but could not be\n"
    "reported or the folder's sync failed.\n";

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
    const SettingChange change = ChangeSetting(file, Section, PasswordKey, password);
    return Said(change, file.shown, "administration password set for " + file.shown,
                file.shown + " already has that administration password", "it already had that administration password");
}

std::string SetRemoteAdministration(const DatabaseFile& file, bool on)
{
    const std::string state = on ? "enabled" : "disabled";
    const SettingChange change = ChangeSetting(file, Section, RemoteKey, on ? "1" : "0");
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

// Says `text` on standard output: done, or the failure that tells so.
int Say(const std::string& text)
{
    if (!WriteFully(STDOUT_FILENO, text))
        return Fail(std::string("cannot write to standard output: ") + std::strerror(errno), ExitAsItWas);
    return ExitDone;
}

int Run(const Command& command, const std::string& database, int number)
{
    const DatabaseFile file = EnterDatabase(database);
    const std::string password = command.asksPassword ? ReadNewPassword() : std::string();
    const std::string said =
        command.runOnVersion != nullptr ? command.runOnVersion(file, number) : command.run(file, password);
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

    try {
        return Run(*command, database, number);
    } catch (const CommandFailure& failure) {
        return Fail(failure.what(), failure.Status());
    } catch (const std::exception& failure) {
        return Fail(failure.what(), ExitAsItWas);
    }
}
