// TemporaryFile.cpp: clearing the temporary path and creating the file anew.
#include "files/TemporaryFile.h"

#include "files/FileIdentity.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Removes a stale regular file unless another process holds its lock (a
// file we cannot open cannot be shown to be stale, and stays too).
bool RemoveStaleFile(const std::string& path, const struct stat& named)
{
    const int opened = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0)
        return errno == ENOENT || (errno == ELOOP && ::unlink(path.c_str()) == 0);
    struct stat status {}, now {};
    // Removed while locked, and only the file that was looked at: a file
    // that another process put there meanwhile is that process's.
    const bool removed = ::fstat(opened, &status) == 0 && SameFile(status, named)
                         && ::flock(opened, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &now) == 0
                         && SameFile(now, named) && ::unlink(path.c_str()) == 0;
    ::close(opened);
    return removed;
}

// Clears the temporary path: false when something there must stay.
bool ClearPath(const std::string& path)
{
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0)
        return errno == ENOENT;
    if (S_ISDIR(named.st_mode))
        return false;
    if (S_ISREG(named.st_mode))
        return RemoveStaleFile(path, named);
    // A symbolic link, a pipe, a socket or a device: never ours.
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

CTemporaryFile::CTemporaryFile(std::string path) : path(std::move(path)) {}

CTemporaryFile::~CTemporaryFile()
{
    if (descriptor >= 0) {
        ::unlink(path.c_str());
        ::close(descriptor);
    }
}

bool CTemporaryFile::Create(struct stat& status)
{
    if (!ClearPath(path))
        return false;
    // O_EXCL: a file that appeared since is not taken over either.
    const int created =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (created < 0)
        return false;
    descriptor = created;
    // From here on the destructor removes the file again on any failure.
    if (::fstat(created, &status) != 0 || ::flock(created, LOCK_EX | LOCK_NB) != 0) {
        ::unlink(path.c_str());
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
