// IniFile.h: the initialisation file: "[section]" headers, key=value lines,
// each section body ending at its first empty line.
#pragma once

#include "files/SioFile.h"
#include "files/WholeFile.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

// The file is read once, at the first lookup after it was opened (or written
// through the base class), and every lookup and write works on that content
// in memory. WriteValue changes only the content in memory; Commit puts the
// whole of it into the file in one step. Writes not committed when the file
// is closed, reopened or destroyed are dropped.
class CIniFile : public CSioFile {
public:
    using CSioFile::CSioFile;

    // Open without raising; only a regular file opens.
    virtual bool OpenFile(const char* path, int mode);

    // Position of the key's line in the section; when the key is missing the
    // start of the empty line closing the section (or the end of the file);
    // when the section is missing the end of the file.
    long FindKey(const std::string& section, const std::string& key, bool& keyMissing,
                 bool& sectionMissing);
    // The text after "key=" on the key's line; false and empty when missing.
    bool ReadValue(const std::string& section, const std::string& key, std::string& value);
    // Sets key=value in the content: replaces the key's line, inserts the key
    // at the end of its section, or appends the section. Lookups see it at
    // once; the file only at Commit.
    void WriteValue(const char* section, const char* key, const char* value);

    // Puts the content into the file when it differs from the file's; when
    // nothing changed nothing is written. The file gets the whole new content
    // or keeps the old: a new file written beside it (NAME + "tmp") and
    // renamed over it, or, where a rename would change what users see (a
    // link, other hard links, an owner the new file cannot get) or the
    // temporary file cannot be had, a rewrite in place that puts the old
    // content back on failure. Either way the content is on disk when Commit
    // returns. Raises the file error on failure, the file unchanged; the file
    // must be open with write access.
    void Commit();

    // The content as lookups see it, writes not yet committed included.
    std::string Content();

private:
    struct KeySearch {
        size_t line;  // the key's line, the empty line closing the body, or lines.size()
        bool keyMissing;
        bool sectionMissing;
    };
    KeySearch Search(const std::string& section, const std::string& key);
    // Reads the file into `original` unless the content is current.
    void Load();
    // Splits `original` into lines; the lines that writes made are dropped.
    void SplitLines();
    // The lines of `text` (each with its LF, the last one perhaps without)
    // put in place of `count` lines at `at`.
    void ReplaceLines(size_t at, size_t count, std::string text);
    std::string Joined() const;
    // The content just committed becomes the file's content.
    void TakeCommitted(std::string content);
    // The line of the first header of `section`; lines.size() when none.
    size_t HeaderLine(const std::string& section);
    void IndexHeaders();

    // The file's content as read or last committed: a view of the bytes
    // read, or of the text committed last.
    std::string_view original;
    FileBytes readBytes;
    std::string committedBytes;
    // The content line by line, line ends included: views into `original`
    // or into `written`, which holds the lines that writes made.
    std::vector<std::string_view> lines;
    std::deque<std::string> written;
    // Every header-like line's name (the text between its first and last
    // character) with the line of its first header, in file order: a lookup
    // goes straight to its section. Rebuilt when a write adds or removes a
    // header-like line; kept, with its lines moved, for any other write.
    struct Header {
        std::string_view name;
        size_t line;
    };
    std::vector<Header> headers;
    bool headersCurrent = false;
    bool loaded = false;
    unsigned long loadedAt = 0;  // Changes() when the content was read
};
