// History.cpp: listing, comparing and restoring the kept versions.
#include "tool/database/History.h"

#include "base/EscapedText.h"
#include "config/SettingComparison.h"
#include "config/VersionHistory.h"
#include "config/ZEPHOnlineINI.h"
#include "files/IniFile.h"
#include "tool/CommandFailure.h"
#include "tool/database/DatabaseArgument.h"
#include "tool/database/SettingChange.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// The history of `file`, open; a folder that cannot be opened fails the command.
const CVersionHistory& Opened(const CVersionHistory& history, const DatabaseFile& file)
{
    if (history.OpenError() != 0)
        throw CommandFailure("cannot open the history of " + file.shown + ": " + std::strerror(history.OpenError()));
    return history;
}

// Version `number` (1 = the newest).
const HistoryVersion& Numbered(const CVersionHistory& history, const DatabaseFile& file, int number)
{
    const std::vector<HistoryVersion>& versions = history.Versions();
    if (number < 1 || static_cast<size_t>(number) > versions.size())
        throw CommandFailure("no version " + std::to_string(number) + " of " + file.shown + " (" +
                             std::to_string(versions.size()) + " kept)");
    return versions[static_cast<size_t>(number) - 1];
}

std::string VersionFailure(const DatabaseFile& file, const HistoryVersion& version, const std::string& error)
{
    return file.shown + ": version " + EscapedText(version.name, TextKept::Utf8) + ": " + error;
}

std::string ContentOf(const CVersionHistory& history, const DatabaseFile& file, const HistoryVersion& version)
{
    try {
        return history.Content(version);
    } catch (const std::runtime_error& fileError) {
        throw CommandFailure(VersionFailure(file, version, fileError.what()));
    }
}

// The file's content, read under a shared lock that `locked` holds for as
// long as it lives.
std::string LockedContent(CIniFile& locked, const DatabaseFile& file)
{
    std::string content;
    NamingFileErrors(file, [&] {
        if (!ReadUnderSharedLock(locked, file.name, content))
            throw OpenFailure(file, errno);
    });
    return content;
}

// Who, as the version's name says, with nothing in it that a terminal would
// act on.
std::string ShownWho(const std::string& who)
{
    return EscapedText(who, TextKept::Utf8);
}

// The names of the settings a change changed, with nothing in them that a
// terminal would act on.
std::string Joined(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : ", ") + EscapedText(name, TextKept::Utf8);
    return joined;
}

}  // namespace

std::string HistoryText(const DatabaseFile& file)
{
    CIniFile locked;
    const std::string live = LockedContent(locked, file);
    const CVersionHistory history(file.name);
    if (Opened(history, file).Versions().empty())
        return "no versions kept for " + file.shown + "\n";
    std::string said;
    int number = 0;
    WalkHistory(history, live, [&](const HistoryStep& step) {
        const std::string shownNumber = std::to_string(++number);
        if (step.gapAfter)
            said += "-  a change after " + shownNumber + " was not kept, or the file was changed by other means\n";
        said += shownNumber + "  " + ShownVersionTime(step.version.time) + "  " + ShownWho(step.version.who) + "  ";
        if (step.content == nullptr) {
            said += "cannot be read: " + VersionFailure(file, step.version, step.readError) + "\n";
        } else if (step.after != nullptr) {
            said += (step.changedSettings.empty() ? std::string("no setting changed")
                                                  : "changed " + Joined(step.changedSettings))
                    + "\n";
        } else {
            said += "changes unknown: the version after it cannot be read\n";
        }
    });
    return said;
}

std::string DifferencesText(const DatabaseFile& file, int number)
{
    CIniFile locked;
    const std::string live = LockedContent(locked, file);
    const CVersionHistory history(file.name);
    const std::string version = ContentOf(history, file, Numbered(Opened(history, file), file, number));
    std::string said;
    for (const std::string& line : SettingDifferences(version, live))
        said += line + "\n";
    if (said.empty())
        said = version == live ? "no difference: " + file.shown + " holds version " + std::to_string(number) + "\n"
                               : "no setting differs; other lines of " + file.shown + " do\n";
    return said;
}

std::string RestoreVersion(const DatabaseFile& file, int number)
{
    std::string restored;
    // The version is chosen and read under the file's lock, which every
    // change that adds one holds.
    const SettingChange change = ChangeDatabase(file, [&](CZEPHOnlineINI& record) {
        const CVersionHistory history(file.name);
        const HistoryVersion& version = Numbered(Opened(history, file), file, number);
        record.ReplaceContent(ContentOf(history, file, version));
        restored = "version " + std::to_string(number) + " (" + ShownVersionTime(version.time) + ", replaced by " +
                   ShownWho(version.who) + ")";
    });
    if (change.settingChanged)
        return "restored " + restored + " to " + file.shown + NotKeptNote(change) + "\n";
    return "nothing changed: " + file.shown + " already holds " + restored + "\n";
}
