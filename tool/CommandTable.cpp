// CommandTable.cpp: the rows, the checks of their arguments, and the texts
// written from them.
#include "tool/CommandTable.h"

#include "tool/CommandFailure.h"
#include "tool/create/CreateDatabase.h"
#include "tool/create/DatabaseModel.h"
#include "tool/create/PasswordEntry.h"
#include "tool/database/DatabaseArgument.h"
#include "tool/database/History.h"
#include "tool/database/SettingCommands.h"
#include "tool/database/Status.h"

#define ZEPH_TEXT(value) #value
#define ZEPH_NUMBER_TEXT(value) ZEPH_TEXT(value)
#define ZEPH_HISTORY_TEXT ZEPH_NUMBER_TEXT(ZEPH_HISTORY_VERSIONS)

namespace {

using Arguments = std::vector<std::string>;

[[noreturn]] void UsageError(const std::string& problem)
{
    throw CommandFailure(problem, ExitUsage);
}

// A version number: 1 to 999999, in decimal digits only; 0 when it is none.
int VersionNumber(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(text);
}

// DATABASE, and N when `versioned`: checked, then the database entered
// with its owner's rights.
struct OnDatabase {
    DatabaseFile file;
    int number = 0;

    OnDatabase(const Arguments& arguments, bool versioned)
    {
        const size_t count = versioned ? 2 : 1;
        if (arguments.empty())
            UsageError("no DATABASE given");
        if (arguments.size() < count)
            UsageError("no version number N given");
        if (arguments.size() > count)
            UsageError(versioned ? "one DATABASE and one N only" : "one DATABASE only");
        if (versioned && (number = VersionNumber(arguments[1])) == 0)
            UsageError("not a version number: " + arguments[1]);
        const std::string& database = arguments[0];
        // A database path that begins with "-" is written ./-name.
        if (database.empty() || database[0] == '-')
            UsageError(database.empty() ? "an empty DATABASE" : "unknown option " + database);
        file = EnterDatabase(database);
    }
};

// A command on one database: what `say` says of the file (and version N
// when `versioned`); `changes`: the file may be changed, so that a report
// that fails is exit status 3.
template <bool versioned, bool changes, std::string (*say)(const DatabaseFile& file, int number)>
CommandOutput OnOneDatabase(const Arguments& arguments)
{
    const OnDatabase on(arguments, versioned);
    return {say(on.file, on.number), changes ? on.file.shown : std::string()};
}

std::string NewPassword(const DatabaseFile& file, int)
{
    return SetPassword(file, ReadNewPassword());
}
std::string EnableRemote(const DatabaseFile& file, int)
{
    return SetRemoteAdministration(file, true);
}
std::string DisableRemote(const DatabaseFile& file, int)
{
    return SetRemoteAdministration(file, false);
}
std::string Status(const DatabaseFile& file, int)
{
    return StatusText(file);
}
std::string History(const DatabaseFile& file, int)
{
    return HistoryText(file);
}

// create [--owner USER] [--from FILE] FOLDER
CommandOutput Create(const Arguments& arguments)
{
    NewDatabase order {"", "", DefaultModel};
    bool ownerGiven = false, modelGiven = false;
    std::vector<std::string> folders;
    for (size_t at = 0; at < arguments.size(); ++at) {
        const std::string& arg = arguments[at];
        const bool owner = arg == "--owner", model = arg == "--from";
        if (owner || model) {
            bool& given = owner ? ownerGiven : modelGiven;
            if (given)
                UsageError(arg + " given twice");
            if (at + 1 == arguments.size() || arguments[at + 1].empty())
                UsageError(arg + (owner ? " needs a USER" : " needs a FILE"));
            given = true;
            (owner ? order.owner : order.model) = arguments[++at];
        } else if (!arg.empty() && arg[0] == '-') {
            UsageError("unknown option " + arg);
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.size() != 1)
        UsageError(folders.empty() ? "no FOLDER given" : "one FOLDER only");
    if (folders[0].empty())
        UsageError("an empty FOLDER");
    if (!NamesDatabaseFile(order.model))
        UsageError("the model " + order.model + " is no database's .ini file");
    order.folder = folders[0];
    return {CreateDatabase(order), order.folder};
}

// Built on first use: the tests' usage is read while they start.
const std::vector<ToolCommand>& Rows()
{
    static const std::vector<ToolCommand> rows = {
        {"create", "[--owner USER] [--from FILE] FOLDER",
         std::string("make FOLDER and its NAME.ini (NAME: the folder's last name)\n"
                     "from a model, owned by --owner USER; without it, by ") + WebServerUser + "\n"
         "when root runs it, else by the user who runs it;\n"
         "the administration password asked as set-password asks\n"
         "it, remote administration on, every other password of the\n"
         "database random; the model is --from FILE (a .ini file), or\n" + DefaultModel,
         Create},
        {"set-password", "DATABASE",
         "set the administration password: asked twice on a\n"
         "terminal, else one line read from standard input",
         OnOneDatabase<false, true, NewPassword>},
        {"enable-remote", "DATABASE", "allow web administration",
         OnOneDatabase<false, true, EnableRemote>},
        {"disable-remote", "DATABASE", "refuse all web administration",
         OnOneDatabase<false, true, DisableRemote>},
        {"status", "DATABASE",
         "show the file, its number of entry items, whether remote\n"
         "administration is on, whether a password is set and\n"
         "which of the database's own passwords are empty",
         OnOneDatabase<false, false, Status>},
        {"history", "DATABASE",
         "list the kept earlier versions of the file, newest (1)\n"
         "first: when and by whom each was replaced, and the\n"
         "settings that changed",
         OnOneDatabase<false, false, History>},
        {"diff", "DATABASE N",
         "show the settings that differ between version N and the\n"
         "file (passwords only as \"(changed)\")",
         OnOneDatabase<true, false, DifferencesText>},
        {"restore", "DATABASE N",
         "put version N back; what it replaces is kept as a new\n"
         "version, so a restore can be undone",
         OnOneDatabase<true, true, RestoreVersion>},
    };
    return rows;
}

// The lines of the usage: "zephconf-admin name|name OPERANDS", one per kind
// of operands, in the rows' order; `lead` starts the first and, in blanks,
// the others.
std::string UsageLines(const std::string& lead)
{
    std::vector<std::pair<std::string, std::string>> lines;  // operands, names
    for (const ToolCommand& command : Rows()) {
        auto line = lines.begin();
        while (line != lines.end() && line->first != command.operands)
            ++line;
        if (line == lines.end())
            lines.emplace_back(command.operands, command.name);
        else
            line->second += std::string("|") + command.name;
    }
    std::string usage;
    for (const auto& [operands, names] : lines)
        usage += (usage.empty() ? lead : std::string(lead.size(), ' ')) + "zephconf-admin " + names + " " + operands
                 + "\n";
    return usage;
}

// How a command is named in the help: with N when it takes a version.
std::string HelpName(const ToolCommand& command)
{
    const std::string database = "DATABASE";
    const std::string operands = command.operands;
    return command.name + (operands.compare(0, database.size(), database) == 0 ? operands.substr(database.size()) : "");
}

}  // namespace

const std::vector<ToolCommand>& ToolCommands()
{
    return Rows();
}

const ToolCommand* CommandNamed(const std::string& name)
{
    for (const ToolCommand& command : Rows())
        if (name == command.name)
            return &command;
    return nullptr;
}

std::string UsageText()
{
    return UsageLines("usage: ");
}

std::string HelpText()
{
    constexpr size_t Column = 16;  // where a command's lines start, after its name
    std::string commands;
    for (const ToolCommand& command : Rows()) {
        const std::string name = HelpName(command);
        std::string lines = "  " + name + std::string(Column - name.size(), ' ');
        for (const char c : command.help)
            lines += c == '\n' ? "\n  " + std::string(Column, ' ') : std::string(1, c);
        commands += lines + "\n";
    }
    return UsageText() +
           "       zephconf-admin --help | --version\n"
           "\n"
           "Makes a new Zephyr Ledger Desk database, sets the administration password\n"
           "and remote administration of one, which the web form of zephconf does\n"
           "not offer, and shows and restores the earlier versions of its file that\n"
           "every change keeps. A change takes the file's lock and replaces the file\n"
           "whole, as the web form's Configure does. Run by root on a folder that\n"
           "another user owns, the tool acts as that user, with that user's own\n"
           "groups; run by any other user, it acts as that user. It refuses a path\n"
           "through a folder or link that a user other than root and the one who\n"
           "runs it could change.\n"
           "\n"
           "DATABASE is the database's folder (.../members) or its file\n"
           "(.../members/members.ini).\n"
           "\n"
           "Commands:\n" +
           commands +
           "\n"
           "Every change keeps the content it replaces in the folder zephconf-history\n"
           "of the database's folder (the newest " ZEPH_HISTORY_TEXT "), with the file's owner and\n"
           "mode: the versions hold the same passwords.\n"
           "\n"
           "Exit status: 0 the file holds what was asked; 1 refused or failed, the file\n"
           "as it was (create: nothing made); 2 usage error; 3 the change is in the file\n"
           "(create: the database made), but could not be reported or the folder's sync\n"
           "failed.\n";
}
