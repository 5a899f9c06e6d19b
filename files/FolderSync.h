// FolderSync.h: putting a folder's names (a rename, a new file, a removal)
// on disk.
#pragma once

#include <cerrno>
#include <unistd.h>

// Syncs the folder open as `folder`; false with errno set when that fails. A
// file system that cannot sync a folder (EINVAL) keeps its names anyway.
inline bool SyncFolder(int folder)
{
    return ::fsync(folder) == 0 || errno == EINVAL;
}
