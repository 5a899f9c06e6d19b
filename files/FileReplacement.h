// FileReplacement.h: putting a file's new content on disk so that a kill, a
// power cut or a full disk leaves the old content or the new one, never a mix.
#pragma once

#include <string>
#include <string_view>

enum class Replacement {
    Renamed,          // the new content has the file's name, on disk
    InPlace,          // a rename would change what users see: write in place
    NoTemporaryFile,  // the temporary file cannot be had; nothing changed
};

// Replaces the file `path`, open and locked as `current`, by a new file with
// `content`: path + "tmp" is created (never through a link, symbolic or hard, only as a regular
// file, its lock never waited for), given the original's owner, group and
// permission bits, filled and synced, renamed over `path` while both are open
// and locked, and the folder is synced. `renamed` then holds the new file's
// descriptor, open and locked; the caller owns it (and `current` still holds
// the old file, which has lost its name).
//
// InPlace when `path` is a symbolic link, the file has other hard links, or
// the new file cannot get the original's owner and group; NoTemporaryFile
// when the temporary file or the folder cannot be had. Neither changes
// anything or leaves a temporary file.
//
// A failure to write, sync or rename raises the file error; the temporary
// file is removed and the original is as it was. A failure to sync the folder
// after the rename raises it too, with `renamed` already set.
Replacement ReplaceThroughTemporaryFile(int current, const std::string& path, std::string_view content,
                                        int& renamed);

// Rewrites the file open as `descriptor` (holding `old`) to hold `content`:
// one pass from the first byte where they differ, the file cut to its new
// length, then synced. On a failure `old` is put back as far as the file
// lets us and the file error is raised.
void RewriteInPlace(int descriptor, std::string_view old, std::string_view content);
