// TemporaryFile.cpp: clearing the temporary name and creating the file anew.
#include "files/TemporaryFile.h"

#include "files/FileIdentity.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Removes a stale regular file unless another process holds its lock. A
// file this process may not open cannot be a live temporary file either
// (only the holder of the database file's lock makes one): it goes too.
bool RemoveStaleFile(int folder, const std::string& name, const struct stat& named)
{
    const int opened = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0)
        return errno == ENOENT || ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
    struct stat status {};
    // Removed while its lock is ours.
    const bool removed = ::fstat(opened, &status) == 0 && SameFile(status, named)
                         && ::flock(opened, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(folder, name.c_str(), 0) == 0;
    ::close(opened);
    return removed;
}

}  // namespace

CTemporaryFile::CTemporaryFile(int folder, std::string name) : folder(folder), name(std::move(name)) {}

CTemporaryFile::~CTemporaryFile()
{
    if (descriptor >= 0) {
        ::unlinkat(folder, name.c_str(), 0);
        ::close(descriptor);
    }
}

bool CTemporaryFile::Create(struct stat& status)
{
    struct stat named {};
    if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(named.st_mode))
            return false;
        // A symbolic link, a pipe, a socket or a device is never ours.
        const bool cleared = S_ISREG(named.st_mode) ? RemoveStaleFile(folder, name, named)
                                                    : ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT;
        if (!cleared)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    // O_EXCL: a file that appeared since is not taken over either.
    const int created =
        ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (created < 0)
        return false;
    descriptor = created;
    if (::fstat(created, &status) != 0 || ::flock(created, LOCK_EX | LOCK_NB) != 0) {
        ::unlinkat(folder, name.c_str(), 0);
        ::close(created);
        descriptor = -1;
        return false;
    }
    return true;
}

int CTemporaryFile::Release()
{
    const int released = descriptor;
    descriptor = -1;
    return released;
}
