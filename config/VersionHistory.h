// VersionHistory.h: a database's kept versions as the history shows them:
// the list, newest first, one version's content read, and the gaps where the
// file was changed without a version being kept. The shell tool and the web
// pages read the history only through here.
#pragma once

#include "files/HistoryVersion.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CIniFile;

// Opens the database file `path` through `locked` under a shared lock, held
// for as long as `locked` stays open: a change in progress is waited for (up
// to the lock wait), and none starts while the history is read. Gives the
// file's content; false with errno set when the file cannot be opened.
bool ReadUnderSharedLock(CIniFile& locked, const std::string& path, std::string& content);

// The history folder of the database file `path`, open, and the versions it
// holds, newest first. A missing folder holds none.
class CVersionHistory {
public:
    explicit CVersionHistory(const std::string& path);
    ~CVersionHistory();
    CVersionHistory(const CVersionHistory&) = delete;
    CVersionHistory& operator=(const CVersionHistory&) = delete;

    // 0, or the errno of a history folder that is there but cannot be opened.
    int OpenError() const { return openError; }
    const std::vector<HistoryVersion>& Versions() const { return versions; }
    // The version whose file name is `name`, null when none is: a name is
    // only ever looked up among the versions listed, never opened as given.
    const HistoryVersion* Named(std::string_view name) const;
    // A version's content. Raises the file error.
    std::string Content(const HistoryVersion& version) const;

private:
    int folder = -1;
    int openError = 0;
    std::vector<HistoryVersion> versions;
};

// Whether the content after `version` is not the one its change put in
// place: a change after it was not kept, or the file was changed by other
// means. The content after it is that of `newer`, the next newer version, or
// the file's when `newer` is null; `after` gives it, read only when the
// name of `newer` does not carry its digest (a version kept before names
// did). False when neither tells (`after` null).
bool GapAfter(const HistoryVersion& version, const HistoryVersion* newer, const std::string* after);

// One version of the list, with what stands around it.
struct HistoryStep {
    const HistoryVersion& version;
    // GapAfter the version.
    bool gapAfter;
    // Its content; null when it cannot be read, `readError` then says why.
    const std::string* content;
    std::string readError;
    // The content after it, as the list compares it; null when that could
    // not be read.
    const std::string* after;
    // The settings its change changed (ChangedSettingSummary of `content`
    // and `after`); none when either is null.
    const std::vector<std::string>& changedSettings;
};

// Calls `each` for every version of `history`, newest first, `live` being
// the file's content. Each version is read once and its entries found once,
// and at most two versions are held at once, whatever their number: a step's
// content stays in place through the next step, as its `after`, and is
// dropped after that.
void WalkHistory(const CVersionHistory& history, const std::string& live,
                 const std::function<void(const HistoryStep&)>& each);

// "20261210T164132Z" as "2026-12-10T16:41:32Z", the audit line's form.
std::string ShownVersionTime(const std::string& time);
