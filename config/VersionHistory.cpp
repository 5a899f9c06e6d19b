// VersionHistory.cpp: listing and reading the kept versions under a shared lock.
#include "config/VersionHistory.h"

#include "config/ChangedSettings.h"
#include "files/IniEntries.h"
#include "files/IniFile.h"

#include <cerrno>
#include <stdexcept>
#include <unistd.h>

bool ReadUnderSharedLock(CIniFile& locked, const std::string& path, std::string& content)
{
    if (!locked.OpenFile(path.c_str(), OpenRead | OpenShared | OpenWaitForLock))
        return false;
    content = locked.Content();
    return true;
}

CVersionHistory::CVersionHistory(const std::string& path) : folder(OpenHistoryFolder(path))
{
    if (folder < 0 && errno != ENOENT)
        openError = errno;
    if (folder >= 0)
        versions = ListVersions(folder, path.substr(path.rfind('/') + 1));
}

CVersionHistory::~CVersionHistory()
{
    if (folder >= 0)
        ::close(folder);
}

const HistoryVersion* CVersionHistory::Named(std::string_view name) const
{
    for (const HistoryVersion& version : versions)
        if (version.name == name)
            return &version;
    return nullptr;
}

std::string CVersionHistory::Content(const HistoryVersion& version) const
{
    return ReadVersion(folder, version);
}

bool GapAfter(const HistoryVersion& version, const HistoryVersion* newer, const std::string* after)
{
    if (newer != nullptr && !newer->own.empty())
        return newer->own != version.successor;
    return after != nullptr && ContentDigest(*after) != version.successor;
}

void WalkHistory(const CVersionHistory& history, const std::string& live,
                 const std::function<void(const HistoryStep&)>& each)
{
    // Two places, used in turn: a content read into one leaves the other,
    // the content after it, where it is, and with it its entries.
    std::string held[2];
    std::vector<IniEntryView> afterEntries = IniEntryViews(live);
    const std::vector<HistoryVersion>& versions = history.Versions();
    const std::string* after = &live;
    for (size_t i = 0; i < versions.size(); ++i) {
        std::string& place = held[i % 2];
        // The content two steps back goes before the next is read, not after.
        place.clear();
        place.shrink_to_fit();
        const std::string* content = nullptr;
        std::string readError;
        try {
            place = history.Content(versions[i]);
            content = &place;
        } catch (const std::runtime_error& fileError) {
            readError = fileError.what();
        }
        std::vector<IniEntryView> entries;
        std::vector<std::string> changed;
        if (content != nullptr)
            entries = IniEntryViews(*content);
        if (content != nullptr && after != nullptr)
            changed = ChangedSettingSummary(entries, afterEntries);
        const HistoryVersion* newer = i == 0 ? nullptr : &versions[i - 1];
        each({versions[i], GapAfter(versions[i], newer, after), content, readError, after, changed});
        // An unreadable version leaves the one before it without a comparison.
        after = content;
        afterEntries = std::move(entries);
    }
}

std::string ShownVersionTime(const std::string& time)
{
    return time.substr(0, 4) + "-" + time.substr(4, 2) + "-" + time.substr(6, 5) + ":" + time.substr(11, 2) + ":"
           + time.substr(13);
}
