// FileReplacement.cpp: the temporary file and rename, and the in-place
// rewrite that stands in for them where a rename cannot be used.
#include "files/FileReplacement.h"

#include "files/SFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes all of `count` bytes at `offset`; false with errno set when the file
// does not take them.
bool WriteAllAt(int descriptor, const char* bytes, size_t count, off_t offset)
{
    while (count > 0) {
        const ssize_t written = ::pwrite(descriptor, bytes, count, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The temporary file, once it is ours: open, locked, still under its name.
// Removed again unless the rename gave it the file's name.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (descriptor >= 0) {
            ::unlink(path.c_str());
            ::close(descriptor);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates or takes over the file: never through a link, symbolic or
    // hard (a file with another name would be written, and would keep that
    // name after the rename), only a regular file, and only when no other
    // process holds its lock (only the holder of the original uses it, so a
    // held lock means it is not ours to take).
    bool Open(struct stat& status)
    {
        const int opened = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                                  0600);
        if (opened < 0)
            return false;
        struct stat named {};
        if (::fstat(opened, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1
            || ::flock(opened, LOCK_EX | LOCK_NB) != 0
            || ::lstat(path.c_str(), &named) != 0 || !SameFile(status, named)) {
            ::close(opened);
            return false;
        }
        descriptor = opened;
        return true;
    }

    int Descriptor() const { return descriptor; }
    const std::string& Path() const { return path; }

    // The rename gave the file another name: nothing to remove any more.
    int Release()
    {
        const int released = descriptor;
        descriptor = -1;
        return released;
    }

private:
    std::string path;
    int descriptor = -1;
};

class Folder {
public:
    explicit Folder(const std::string& path) : descriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~Folder()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    bool IsOpen() const { return descriptor >= 0; }
    // A file system that cannot sync a folder (EINVAL) keeps its names anyway.
    bool Sync() const { return ::fsync(descriptor) == 0 || errno == EINVAL; }

private:
    int descriptor;
};

}  // namespace

Replacement ReplaceThroughTemporaryFile(int current, const std::string& path, std::string_view content,
                                        int& renamed)
{
    renamed = -1;
    struct stat original {}, named {};
    if (::fstat(current, &original) != 0)
        ThrowFileError("File length: ");
    // A rename would turn a link into a plain file, or part the file from
    // its other names.
    if (::lstat(path.c_str(), &named) != 0 || S_ISLNK(named.st_mode) || original.st_nlink > 1)
        return Replacement::InPlace;

    // Without the folder the rename cannot be made durable.
    Folder folder(FolderOf(path));
    if (!folder.IsOpen())
        return Replacement::NoTemporaryFile;
    TemporaryFile temporary(path + "tmp");
    struct stat status {};
    if (!temporary.Open(status))
        return Replacement::NoTemporaryFile;
    const int descriptor = temporary.Descriptor();

    // Owner and group first (a change of owner clears the set-id bits), then
    // the permission bits, all before the first byte goes in: the file holds
    // passwords, and a 0600 file must never have a readable copy.
    if ((status.st_uid != original.st_uid || status.st_gid != original.st_gid)
        && ::fchown(descriptor, original.st_uid, original.st_gid) != 0)
        return Replacement::InPlace;
    if ((status.st_mode & 07777) != (original.st_mode & 07777)
        && ::fchmod(descriptor, original.st_mode & 07777) != 0)
        return Replacement::InPlace;

    if (status.st_size > 0 && ::ftruncate(descriptor, 0) != 0)
        ThrowFileError("File write: ");
    if (!WriteAllAt(descriptor, content.data(), content.size(), 0))
        ThrowFileError("File write: ");
    if (::fsync(descriptor) != 0)
        ThrowFileError("File flush: ");
    if (::rename(temporary.Path().c_str(), path.c_str()) != 0)
        ThrowFileError("File rename: ");
    renamed = temporary.Release();
    if (!folder.Sync())
        ThrowFileError("File flush: ");
    return Replacement::Renamed;
}

void RewriteInPlace(int descriptor, std::string_view old, std::string_view content)
{
    const size_t first = static_cast<size_t>(
        std::mismatch(old.begin(), old.begin() + std::min(old.size(), content.size()), content.begin()).first
        - old.begin());
    const char* failed = nullptr;
    if (!WriteAllAt(descriptor, content.data() + first, content.size() - first, static_cast<off_t>(first)))
        failed = "File write: ";
    else if (content.size() < old.size() && ::ftruncate(descriptor, static_cast<off_t>(content.size())) != 0)
        failed = "Get file length: ";
    else if (::fsync(descriptor) != 0)
        failed = "File flush: ";
    if (failed == nullptr)
        return;

    const int error = errno;
    (void)WriteAllAt(descriptor, old.data() + first, old.size() - first, static_cast<off_t>(first));
    (void)::ftruncate(descriptor, static_cast<off_t>(old.size()));
    (void)::fsync(descriptor);
    errno = error;
    ThrowFileError(failed);
}
