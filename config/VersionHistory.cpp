// VersionHistory.cpp: listing and reading the kept versions under a shared lock.
#include "config/VersionHistory.h"

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

void WalkHistory(const CVersionHistory& history, const std::string& live,
                 const std::function<void(const HistoryStep&)>& each)
{
    // Every content stays where it was read until the walk ends, so that a
    // caller may keep what it found in one for the next step.
    std::vector<std::string> contents;
    contents.reserve(history.Versions().size());
    const std::string* after = &live;
    for (const HistoryVersion& version : history.Versions()) {
        const std::string* content = nullptr;
        std::string readError;
        try {
            contents.push_back(history.Content(version));
            content = &contents.back();
        } catch (const std::runtime_error& fileError) {
            readError = fileError.what();
        }
        each({version, after != nullptr && ContentDigest(*after) != version.successor, content, readError, after});
        // An unreadable version leaves the one before it without a comparison.
        after = content;
    }
}

std::string ShownVersionTime(const std::string& time)
{
    return time.substr(0, 4) + "-" + time.substr(4, 2) + "-" + time.substr(6, 5) + ":" + time.substr(11, 2) + ":"
           + time.substr(13);
}
