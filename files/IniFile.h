// IniFile.h: the initialisation file: "[section]" headers, key=value lines,
// each section body ending at its first empty line.
#pragma once

#include "files/SioFile.h"

#include <string>
#include <string_view>

// The file is read once, at the first lookup after OpenFile, into one string;
// every lookup scans that string and every write changes it in memory.
// Commit puts the whole of it into the file in one step. Writes not
// committed when the file is reopened or the object destroyed are dropped.
class CIniFile : public CSioFile {
public:
    using CSioFile::CSioFile;

    // Open without raising; only a regular file opens. The content is read
    // again at the first lookup after it.
    virtual bool OpenFile(const char* path, int mode);

    // Position of the key's line in the section; when the key is missing the
    // start of the empty line closing the section (or the end of the file);
    // when the section is missing the end of the file.
    long FindKey(std::string_view section, std::string_view key, bool& keyMissing, bool& sectionMissing);
    // The text after "key=" on the key's line; false and empty when missing.
    bool ReadValue(std::string_view section, std::string_view key, std::string& value);
    // Sets key=value in the content: replaces the key's line, inserts the key
    // at the end of its section, or appends the section. Lookups see it at
    // once; the file only at Commit.
    void WriteValue(const char* section, const char* key, const char* value);

    // Whether the content differs from what the file holds: what Commit
    // would put into it.
    bool Changed() const { return loaded && written && content != original; }

    // Puts the content into the file when it differs from the file's; when
    // nothing changed nothing is written. The file gets the whole new content
    // or keeps the old (see PutContent): a new file written beside it (NAME +
    // "tmp") and renamed over it, or, where a rename would lose what users see
    // or set (other hard links, an owner or attribute the new file cannot get)
    // or the temporary file cannot be had, a rewrite in place that puts the
    // old content back on failure. Either way the content is on disk when
    // Commit returns. Raises the file error on failure, the file unchanged;
    // the file must be open with write access. A change that keeps the
    // content it replaces goes through ChangeTransaction
    // (config/ChangeTransaction.h), which takes these steps itself.
    void Commit();

    // A commit's parts, for a commit made in steps: what the file holds and
    // what it is to hold. Raises the file error ("File write: ") for a file
    // open for reading only (EBADF) or a content beyond MaxFileSize (EFBIG),
    // and drops buffered input, which belongs to the old file.
    struct PendingContent {
        int descriptor;
        const std::string& path;
        std::string_view old;
        std::string_view content;
    };
    PendingContent Pending();
    // The file holds the content now: later writes are compared with it.
    void Committed() { written = false; }

    // The whole content replaced by `text`, as a write; the file gets it at
    // Commit. Taken by value: a content handed over is moved, not copied.
    void ReplaceContent(std::string text);

    // The content as lookups see it, writes not yet committed included; the
    // reference holds it until the next write or open.
    const std::string& Content();

private:
    struct KeySearch {
        size_t position;  // the key's line, the empty line closing the body, or the end
        bool keyMissing;
        bool sectionMissing;
    };
    // Every lookup searches the content from its start: the file is a few kilobytes.
    KeySearch Search(std::string_view section, std::string_view key);
    // Reads the file unless its content is already held.
    void Load();
    // `text` put in place of `count` bytes at `at`.
    void Splice(size_t at, size_t count, const std::string& text);

    std::string content;   // the file's content, with the writes made since it was read
    std::string original;  // the file's content as read or last committed, once a write changed it
    bool loaded = false;
    bool written = false;  // a write changed `content` since it was read or committed
};
