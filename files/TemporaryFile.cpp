// TemporaryFile.cpp: clearing the temporary name and creating the file anew.
#include "files/TemporaryFile.h"

#include "files/FileAttributes.h"
#include "files/FileIdentity.h"
#include "files/WholeFile.h"

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
    bool removed = false;
    if (::fstat(opened, &status) != 0) {
    } else if (!SameFile(status, named)) {
        errno = EEXIST;  // another file took the name meanwhile
    } else {
        // Removed while its lock is ours.
        removed = ::flock(opened, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(folder, name.c_str(), 0) == 0;
    }
    const int error = errno;
    ::close(opened);
    errno = error;
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
        if (S_ISDIR(named.st_mode)) {
            errno = EISDIR;
            return false;
        }
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
        const int error = errno;
        ::unlinkat(folder, name.c_str(), 0);
        ::close(created);
        descriptor = -1;
        errno = error;
        return false;
    }
    return true;
}

CopyStep CTemporaryFile::CreateAsCopy(int original, const struct stat& originalStatus, std::string_view content)
{
    struct stat status {};
    if (!Create(status))
        return CopyStep::Create;
    // The content never stands in a file of wider access, not for a moment:
    // the database's file holds passwords.
    if (!CopyAttributes(original, originalStatus, descriptor, status))
        return CopyStep::Attributes;
    if (!WriteAllAt(descriptor, content.data(), content.size(), 0))
        return CopyStep::Write;
    if (::fsync(descriptor) != 0)
        return CopyStep::Sync;
    return CopyStep::Done;
}

int CTemporaryFile::Release()
{
    const int released = descriptor;
    descriptor = -1;
    return released;
}
