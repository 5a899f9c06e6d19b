// FileAttributes.h: giving a new file everything an administrator may have set
// on the file it replaces.
#pragma once

#include <sys/stat.h>

// Gives the file open as `copy` (described by `copyStatus`) the owner, group,
// permission bits and every extended attribute (POSIX ACLs included) of the
// file open as `original`, and no extended attribute the original lacks.
// False, with part of it given, when one of them cannot be given (another
// owner needs privileges; a file system may hold no attributes): the caller
// then leaves the original in place.
bool CopyAttributes(int original, const struct stat& originalStatus, int copy, const struct stat& copyStatus);
