// FileIdentity.h: whether two file statuses describe the same file.
#pragma once

#include <sys/stat.h>

// The same file: the same inode on the same device, whatever its names.
inline bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
