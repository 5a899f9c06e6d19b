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
#include <cstdio>
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
    "web form's Configure does.\n"
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
    "Exit status: 0 done, 1 failed or refused, 2 usage error.\n";

// What the changes say: what changed, never a value.
void Report(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
}

void SetPassword(const std::string& iniPath)
{
    const std::string password = ReadNewPassword();
    const ChangeOutcome outcome = ChangeSetting(iniPath, Section, PasswordKey, password);
    if (outcome.changed)
        Report("administration password set for " + iniPath + NotKeptNote(outcome));
    else
        Report("nothing changed: " + iniPath + " already has that administration password");
}

void SetRemoteAdministration(const std::string& iniPath, bool on)
{
    const std::string state = on ? "enabled" : "disabled";
    const ChangeOutcome outcome = ChangeSetting(iniPath, Section, RemoteKey, on ? "1" : "0");
    if (outcome.changed)
        Report("remote administration " + state + " for " + iniPath + NotKeptNote(outcome));
    else
        Report("nothing changed: remote administration already " + state + " for " + iniPath);
}

struct Command {
    const char* name;
    void (*run)(const std::string& iniPath);
    // A command that names a version (diff, restore): run with its number instead.
    void (*runOnVersion)(const std::string& iniPath, int number) = nullptr;
};

const Command Commands[] = {
    {"set-password", SetPassword},
    {"enable-remote", [](const std::string& iniPath) { SetRemoteAdministration(iniPath, true); }},
    {"disable-remote", [](const std::string& iniPath) { SetRemoteAdministration(iniPath, false); }},
    {"status", ShowStatus},
    {"history", ShowHistory},
    {"diff", nullptr, ShowDifferences},
    {"restore", nullptr, RestoreVersion},
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
    const int arguments = command->runOnVersion != nullptr ? 4 : 3;
    if (argc < 3)
        return Fail("no DATABASE given", 2);
    if (argc < arguments)
        return Fail("no version number N given", 2);
    if (argc > arguments)
        return Fail(arguments == 3 ? "one DATABASE only" : "one DATABASE and one N only", 2);
    const int number = arguments == 4 ? VersionNumber(argv[3]) : 0;
    if (arguments == 4 && number == 0)
        return Fail("not a version number: " + std::string(argv[3]), 2);
    const std::string database = argv[2];
    // A database path that begins with "-" is written ./-name.
    if (database.empty() || database[0] == '-')
        return Fail(database.empty() ? "an empty DATABASE" : "unknown option " + database, 2);

    try {
        const std::string iniPath = DatabaseIniPath(database);
        if (command->runOnVersion != nullptr)
            command->runOnVersion(iniPath, number);
        else
            command->run(iniPath);
    } catch (const std::exception& failure) {
        return Fail(failure.what(), 1);
    }
    return Done();
}
