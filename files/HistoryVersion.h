// HistoryVersion.h: the contents a database's file held before its changes,
// kept as versions in a folder beside it, so that a change can be seen and
// undone.
//
// The folder is HistoryFolderName in the database's folder (the folder of the
// file's path as named, also when that is a symbolic link). A version is one
// file there, named
//
//     NAME.ini.20261210T164132Z[-N].DIGEST-OWN.WHO
//
// by the change's UTC time (N counts the changes within one second, from 2),
// the digest of the content the change put in its place and the digest of
// the version's own content (so that a change that was not kept, or one made
// by other means, shows as a gap where the two digests of neighbouring names
// differ, found from the names alone), and who made the change. Versions
// kept before the own digest was named carry only the first one
// (NAME.ini.TIME[-N].DIGEST.WHO): they stay valid, and the gap after such a
// version's successor is found from that successor's content. A version holds the content byte for byte, and has the
// file's owner, group, permission bits and extended attributes: it holds the
// same passwords, with the same protection.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#ifndef ZEPH_HISTORY_VERSIONS
#define ZEPH_HISTORY_VERSIONS 10
#endif

// No database file is named so.
inline constexpr char HistoryFolderName[] = "zephconf-history";
// The newest versions kept; the build option ZEPH_HISTORY_VERSIONS sets it.
inline constexpr int HistoryVersionLimit = ZEPH_HISTORY_VERSIONS;
static_assert(HistoryVersionLimit >= 1, "ZEPH_HISTORY_VERSIONS must keep at least one version");

// A kept version, as its name tells.
struct HistoryVersion {
    std::string name;       // its file name in the history folder
    std::string time;       // the change's UTC time, "20261210T164132Z"
    int counter = 1;        // its place among the changes of that second, from 1
    std::string successor;  // ContentDigest of the content the change put in its place
    std::string own;        // ContentDigest of its own content; empty in a name of the older form
    std::string who;        // who made the change
};

// A digest of `content` as 16 hex digits.
std::string ContentDigest(std::string_view content);

// What the audit line and the tool add when the content a change replaced
// could not be kept: " (previous configuration not kept: REASON)".
std::string NotKeptSuffix(const std::string& reason);

// The history folder of the database file `path`, open for reading; -1 with
// errno set when it is missing or cannot be opened. A symbolic link in its
// place is not followed (ENOTDIR).
int OpenHistoryFolder(const std::string& path);

// The versions of the file named `fileName` in the open history folder,
// newest first. Names of any other form are passed over.
std::vector<HistoryVersion> ListVersions(int historyFolder, const std::string& fileName);

// A version's content: a regular file, never through a link. Raises the file
// error.
std::string ReadVersion(int historyFolder, const HistoryVersion& version);

// The content `old` that a change of the file open as `live` at `path` is
// about to replace with `replacement`, kept as a version before the file is
// touched: the history folder made when missing (with the file's owner and
// group), the version written to a temporary file there that is created
// anew and given the file's owner, group, mode and attributes before its
// first byte, synced, and renamed to a name that nothing holds. When that
// cannot be done nothing is left, NotKept() says why and the change goes on
// without it.
//
// The version is on disk once the history folder is synced: before a
// rewrite in place, else after the change's own rename and folder sync
// (Confirm), so that a confirmed change always has its predecessor kept. A
// version neither confirmed nor kept is removed when the object goes: the
// change did not happen.
class CKeptVersion {
public:
    CKeptVersion(int live, const std::string& path, std::string_view old, std::string_view replacement,
                 const std::string& who);
    ~CKeptVersion();
    CKeptVersion(const CKeptVersion&) = delete;
    CKeptVersion& operator=(const CKeptVersion&) = delete;

    // Empty when the version is kept; else why it is not.
    const std::string& NotKept() const { return reason; }
    // Puts the version's name on disk (once); a failure removes the version.
    void SyncFolder();
    // The change is made: the version's name is put on disk, and the oldest
    // versions beyond HistoryVersionLimit are removed.
    void Confirm();
    // The change may have been made (a failure came after the file's rename):
    // the version stays, nothing else is done.
    void Keep() { confirmed = true; }
    // Whether the version stands in the history folder, kept or not yet.
    bool Made() const { return !name.empty(); }
    // Its file name in the history folder once made; empty before.
    const std::string& Name() const { return name; }
    // The change needs the room the version takes (it failed with `error`,
    // the file as it was): the version is removed and NotKept says why.
    void Drop(int error);

private:
    void Make(int live, const std::string& path, std::string_view old, std::string_view replacement,
              const std::string& who);
    void Fail(const char* what, int error);
    void Remove();

    int folder = -1;
    std::string fileName;  // the database file's name
    std::string name;      // the version's name, once renamed into it
    std::string reason;
    std::vector<std::string> beyondLimit;  // the oldest versions, removed once the change is made
    bool synced = false;
    bool confirmed = false;
};
