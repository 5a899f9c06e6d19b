// FileReplacement.h: putting a file's new content on disk so that a kill, a
// power cut or a full disk leaves the old content or the new one, never a mix.
#pragma once

#include "files/SFile.h"

#include <string>
#include <string_view>

class CKeptVersion;

// The file error raised when the new content has taken the file's name but
// the folder could not be synced after the rename: the file holds the new
// content, which may not survive a power cut.
class FolderSyncFailure : public FileError {
public:
    using FileError::FileError;
};

enum class Replacement {
    Renamed,          // the new content has the file's name, on disk
    InPlace,          // a rename would lose what users see or set: write in place
    NoTemporaryFile,  // the temporary file cannot be had; nothing changed
};

// Replaces the file `path`, open and locked as the descriptor `current`, by a
// new file with `content`. A symbolic link is followed to the file it names,
// which is replaced; the link stays as it is. The temporary file is that
// file's name + "tmp", created anew (see CTemporaryFile), given the
// original's owner, group, permission bits and extended attributes before
// its first byte, filled and synced, and renamed over the file while both
// are open and locked; then the folder is synced.
//
// Renamed: `current` now holds the new file, open and locked (the old file
// and its lock are let go). Every step that can fail on the way there comes
// before the rename, so a failure leaves the original as it was and no
// temporary file; only the folder's sync comes after, and when it fails
// FolderSyncFailure is raised although `current` holds the new file.
//
// InPlace when the file has other hard links, the new file cannot get the
// original's owner or attributes, the file is behind a link and its folder
// cannot take the temporary file, or `path` reaches the file through a link
// that has the temporary name; NoTemporaryFile when the temporary
// file or the folder cannot be had otherwise. Neither changes anything.
//
// A failure to write, sync or rename raises the file error.
Replacement ReplaceThroughTemporaryFile(int current, const std::string& path, std::string_view content);

// Rewrites the file open as `descriptor` (holding `old`) to hold `content`:
// one pass from the first byte where they differ, the file cut to its new
// length, then synced. On a failure `old` is put back as far as the file
// lets us and the file error is raised.
void RewriteInPlace(int descriptor, std::string_view old, std::string_view content);

// Puts `content` into the file open and locked as `descriptor` at `path`,
// which holds `old`: ReplaceThroughTemporaryFile, or RewriteInPlace where
// that returns without a rename. `version`, when given, holds the content
// replaced: its name is put on disk before a rewrite in place (which a power
// cut may cut part-way), and it is kept when the rename was made but the
// folder's sync failed. Raises the file error, the file as it was but after
// FolderSyncFailure.
void PutContent(int descriptor, const std::string& path, std::string_view old, std::string_view content,
                CKeptVersion* version = nullptr);
