// History.cpp: listing, comparing and restoring the kept versions.
#include "tool/History.h"

#include "config/SettingComparison.h"
#include "config/ZEPHOnlineINI.h"
#include "files/HistoryVersion.h"
#include "files/IniFile.h"
#include "tool/CommandFailure.h"
#include "tool/FileSettings.h"
#include "tool/SettingChange.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace {

// The history folder, open, and the versions it holds; none when it is missing.
class History {
public:
    explicit History(const std::string& iniPath) : folder(OpenHistoryFolder(iniPath))
    {
        if (folder < 0 && errno != ENOENT)
            throw CommandFailure("cannot open the history of " + iniPath + ": " + std::strerror(errno));
        const size_t slash = iniPath.rfind('/');
        if (folder >= 0)
            versions = ListVersions(folder, slash == std::string::npos ? iniPath : iniPath.substr(slash + 1));
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
    const HistoryVersion& Numbered(const std::string& iniPath, int number) const
    {
        if (number < 1 || static_cast<size_t>(number) > versions.size())
            throw CommandFailure("no version " + std::to_string(number) + " of " + iniPath + " (" +
                                 std::to_string(versions.size()) + " kept)");
        return versions[static_cast<size_t>(number) - 1];
    }
    std::string Content(const std::string& iniPath, const HistoryVersion& version) const
    {
        try {
            return ReadVersion(folder, version);
        } catch (const std::runtime_error& fileError) {
            throw CommandFailure(iniPath + ": version " + version.name + ": " + fileError.what());
        }
    }

private:
    int folder;
    std::vector<HistoryVersion> versions;
};

// The file's content, read under a shared lock that `file` holds for as
// long as it lives: a change in progress is waited for, and none starts
// while the versions are read.
std::string LockedContent(CIniFile& file, const std::string& iniPath)
{
    try {
        if (!file.OpenFile(iniPath.c_str(), OpenRead | OpenShared | OpenWaitForLock))
            throw OpenFailure(iniPath, errno);
        return file.Content();
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::runtime_error& fileError) {
        throw CommandFailure(iniPath + ": " + fileError.what());
    }
}

// "20261210T164132Z" as "2026-12-10T16:41:32Z", the audit line's form.
std::string ShownTime(const std::string& time)
{
    return time.substr(0, 4) + "-" + time.substr(4, 2) + "-" + time.substr(6, 5) + ":" + time.substr(11, 2) + ":"
           + time.substr(13);
}

// Who, with nothing in it that a terminal would act on.
std::string ShownWho(const std::string& who)
{
    std::string shown;
    for (unsigned char byte : who)
        shown += byte < 0x20 || byte == 0x7f ? '?' : static_cast<char>(byte);
    return shown;
}

void Print(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

}  // namespace

void ShowHistory(const std::string& iniPath)
{
    CIniFile file;
    std::optional<std::string> after = LockedContent(file, iniPath);
    const History history(iniPath);
    if (history.Versions().empty()) {
        Print("no versions kept for " + iniPath);
        return;
    }
    for (size_t i = 0; i < history.Versions().size(); ++i) {
        const HistoryVersion& version = history.Versions()[i];
        const std::string number = std::to_string(i + 1);
        if (after && ContentDigest(*after) != version.successor)
            Print("-  a change after " + number + " was not kept, or the file was changed by other means");
        std::string line = number + "  " + ShownTime(version.time) + "  " + ShownWho(version.who) + "  ";
        std::string content;
        try {
            content = history.Content(iniPath, version);
        } catch (const CommandFailure& failure) {
            Print(line + "cannot be read: " + failure.what());
            after.reset();
            continue;
        }
        if (after) {
            const std::vector<std::string> names = ChangedSettingNames(content, *after, FileSettings());
            line += names.empty() ? std::string("no setting changed") : "changed " + Joined(names);
        } else {
            line += "changes unknown: the version after it cannot be read";
        }
        Print(line);
        after = std::move(content);
    }
}

void ShowDifferences(const std::string& iniPath, int number)
{
    CIniFile file;
    const std::string live = LockedContent(file, iniPath);
    const History history(iniPath);
    const std::string version = history.Content(iniPath, history.Numbered(iniPath, number));
    const std::vector<std::string> lines = SettingDifferences(version, live, FileSettings());
    for (const std::string& line : lines)
        Print(line);
    if (lines.empty())
        Print(version == live ? "no difference: " + iniPath + " holds version " + std::to_string(number)
                              : "no setting differs; other lines of " + iniPath + " do");
}

void RestoreVersion(const std::string& iniPath, int number)
{
    std::string said;
    // The version is chosen and read under the file's lock, which every
    // change that adds one holds.
    const ChangeOutcome outcome = ChangeDatabase(iniPath, [&](CZEPHOnlineINI& record) {
        const History history(iniPath);
        const HistoryVersion& version = history.Numbered(iniPath, number);
        record.ReplaceContent(history.Content(iniPath, version));
        said = "version " + std::to_string(number) + " (" + ShownTime(version.time) + ", replaced by " +
               ShownWho(version.who) + ")";
    });
    if (outcome.changed)
        Print("restored " + said + " to " + iniPath + NotKeptNote(outcome));
    else
        Print("nothing changed: " + iniPath + " already holds " + said);
}
