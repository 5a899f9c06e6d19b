// History.cpp: listing, comparing and restoring the kept versions.
#include "tool/database/History.h"

#include "base/EscapedText.h"
#include "config/SettingComparison.h"
#include "config/ZEPHOnlineINI.h"
#include "files/HistoryVersion.h"
#include "files/IniFile.h"
#include "tool/CommandFailure.h"
#include "tool/database/DatabaseArgument.h"
#include "tool/database/SettingChange.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace {

// The history folder, open, and the versions it holds; none when it is missing.
class History {
public:
    explicit History(const DatabaseFile& file) : folder(OpenHistoryFolder(file.name))
    {
        if (folder < 0 && errno != ENOENT)
            throw CommandFailure("cannot open the history of " + file.shown + ": " + std::strerror(errno));
        if (folder >= 0)
            versions = ListVersions(folder, file.name);
    }
    ~History()
    {
        if (folder >= 0)
            ::close(folder);
    }
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    const std::vector<HistoryVersion>& Versions() const { return versions; }

    // Version `number` (1 = the newest) and its content.
    const HistoryVersion& Numbered(const DatabaseFile& file, int number) const
    {
        if (number < 1 || static_cast<size_t>(number) > versions.size())
            throw CommandFailure("no version " + std::to_string(number) + " of " + file.shown + " (" +
                                 std::to_string(versions.size()) + " kept)");
        return versions[static_cast<size_t>(number) - 1];
    }
    std::string Content(const DatabaseFile& file, const HistoryVersion& version) const
    {
        try {
            return ReadVersion(folder, version);
        } catch (const std::runtime_error& fileError) {
            throw CommandFailure(file.shown + ": version " + EscapedText(version.name, TextKept::Utf8) + ": "
                                 + fileError.what());
        }
    }

private:
    int folder;
    std::vector<HistoryVersion> versions;
};

// The file's content, read under a shared lock that `locked` holds for as
// long as it lives: a change in progress is waited for, and none starts
// while the versions are read.
std::string LockedContent(CIniFile& locked, const DatabaseFile& file)
{
    std::string content;
    NamingFileErrors(file, [&] {
        if (!locked.OpenFile(file.name.c_str(), OpenRead | OpenShared | OpenWaitForLock))
            throw OpenFailure(file, errno);
        content = locked.Content();
    });
    return content;
}

// "20261210T164132Z" as "2026-12-10T16:41:32Z", the audit line's form.
std::string ShownTime(const std::string& time)
{
    return time.substr(0, 4) + "-" + time.substr(4, 2) + "-" + time.substr(6, 5) + ":" + time.substr(11, 2) + ":"
           + time.substr(13);
}

// Who, as the version's name says, with nothing in it that a terminal would
// act on.
std::string ShownWho(const std::string& who)
{
    return EscapedText(who, TextKept::Utf8);
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

}  // namespace

std::string HistoryText(const DatabaseFile& file)
{
    CIniFile locked;
    std::optional<std::string> after = LockedContent(locked, file);
    const History history(file);
    if (history.Versions().empty())
        return "no versions kept for " + file.shown + "\n";
    std::string said;
    for (size_t i = 0; i < history.Versions().size(); ++i) {
        const HistoryVersion& version = history.Versions()[i];
        const std::string number = std::to_string(i + 1);
        if (after && ContentDigest(*after) != version.successor)
            said += "-  a change after " + number + " was not kept, or the file was changed by other means\n";
        said += number + "  " + ShownTime(version.time) + "  " + ShownWho(version.who) + "  ";
        std::string content;
        try {
            content = history.Content(file, version);
        } catch (const CommandFailure& failure) {
            said += "cannot be read: " + std::string(failure.what()) + "\n";
            after.reset();
            continue;
        }
        if (after) {
            const std::vector<std::string> names = ChangedSettingNames(content, *after);
            said += names.empty() ? std::string("no setting changed") : "changed " + Joined(names);
        } else {
            said += "changes unknown: the version after it cannot be read";
        }
        said += "\n";
        after = std::move(content);
    }
    return said;
}

std::string DifferencesText(const DatabaseFile& file, int number)
{
    CIniFile locked;
    const std::string live = LockedContent(locked, file);
    const History history(file);
    const std::string version = history.Content(file, history.Numbered(file, number));
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
        const History history(file);
        const HistoryVersion& version = history.Numbered(file, number);
        record.ReplaceContent(history.Content(file, version));
        restored = "version " + std::to_string(number) + " (" + ShownTime(version.time) + ", replaced by " +
                   ShownWho(version.who) + ")";
    });
    if (change.settingChanged)
        return "restored " + restored + " to " + file.shown + NotKeptNote(change) + "\n";
    return "nothing changed: " + file.shown + " already holds " + restored + "\n";
}
