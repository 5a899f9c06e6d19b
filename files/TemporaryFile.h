// TemporaryFile.h: the new file that an update is written to before it is
// renamed over the database's file.
#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

// A temporary file that this process created itself, open and locked, named
// `name` in the folder open as `folder` (every step goes through that
// descriptor, so a folder renamed or swapped for a link meanwhile cannot send
// it elsewhere). Only the holder of the database file's lock uses the
// temporary name, so whatever stands there before is stale (a killed run's
// leftover) or planted (a link, a pipe, a file someone holds open to read
// what is written into it): it is removed, and the file is created anew,
// never opened. A directory, or a regular file whose lock another process
// holds, is left alone, and then the temporary file cannot be had.
//
// The file is removed again when the object goes, unless Release said that a
// rename gave it another name.

// The step of CTemporaryFile::CreateAsCopy that failed, or Done.
enum class CopyStep { Create, Attributes, Write, Sync, Done };

class CTemporaryFile {
public:
    CTemporaryFile(int folder, std::string name);
    ~CTemporaryFile();
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;

    // Clears the name and creates the file (mode 0600, our owner), locked;
    // `status` describes it. False, with errno saying why, when it cannot be
    // had; nothing is left.
    bool Create(struct stat& status);
    // The protected copy: Create, then the owner, group, permission bits and
    // extended attributes of the file open as `original` (described by
    // `originalStatus`) given before the first byte, then `content` written
    // and synced. Done, or the step that failed with errno saying why; after
    // Create the file stays until the object goes.
    CopyStep CreateAsCopy(int original, const struct stat& originalStatus, std::string_view content);

    int Descriptor() const { return descriptor; }
    const std::string& Name() const { return name; }

    // The rename gave the file the database's name: it is no longer ours to
    // remove, and its descriptor is the caller's.
    int Release();

private:
    int folder;
    std::string name;
    int descriptor = -1;
};
