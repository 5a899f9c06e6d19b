// FileReplacement.cpp: the temporary file and rename, and the in-place
// rewrite that stands in for them where a rename cannot be used.
#include "files/FileReplacement.h"

#include "files/FileIdentity.h"
#include "files/FolderSync.h"
#include "files/HistoryVersion.h"
#include "files/OwnedDescriptor.h"
#include "files/PathParts.h"
#include "files/SFile.h"
#include "files/TemporaryFile.h"
#include "files/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The path of the file itself: `path`, or for a symbolic link (or a chain of
// them) the path of the file it names. Empty when it cannot be told.
std::string FileBehind(const std::string& path, bool& linked)
{
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0)
        return "";
    linked = S_ISLNK(named.st_mode);
    if (!linked)
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return "";
    std::string target = resolved;
    std::free(resolved);
    return target;
}

// Whether `path` reaches its file through the symbolic link `link`: `path`
// itself or one of the links it leads through, one after another.
bool ReachedThrough(std::string path, const struct stat& link)
{
    // As many links as the system follows for one name.
    for (int step = 0; step < 40; ++step) {
        struct stat named {};
        if (::lstat(path.c_str(), &named) != 0 || !S_ISLNK(named.st_mode))
            return false;
        if (SameFile(named, link))
            return true;
        std::string target(static_cast<size_t>(named.st_size) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<size_t>(length) >= target.size())
            return false;
        target.resize(static_cast<size_t>(length));
        const size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    return false;
}

// The folder that holds the file, open; every later step goes through it by
// name, so that a folder on the way swapped for a link meanwhile cannot send
// the new file elsewhere.
class Folder {
public:
    explicit Folder(const std::string& path) : descriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    bool IsOpen() const { return descriptor.IsOpen(); }
    int Descriptor() const { return descriptor.Get(); }
    // Whether `name` in this folder is the file `file` itself (not a link to it).
    bool Holds(const std::string& name, const struct stat& file) const
    {
        struct stat named {};
        return ::fstatat(descriptor.Get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(named, file);
    }
    // The symbolic link `name` in this folder, when there is one.
    bool Link(const std::string& name, struct stat& link) const
    {
        return ::fstatat(descriptor.Get(), name.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
    }

private:
    OwnedDescriptor descriptor;
};

// Raises the file error for `error`, the errno of the failed call, saved
// before the calls that cleaned up after it.
[[noreturn]] void FailAfter(const char* context, int error)
{
    errno = error;
    ThrowFileError(context);
}

}  // namespace

Replacement ReplaceThroughTemporaryFile(int current, const std::string& path, std::string_view content)
{
    struct stat original {};
    if (::fstat(current, &original) != 0)
        ThrowFileError("File length: ");
    // A rename would part the file from its other names.
    if (original.st_nlink > 1)
        return Replacement::InPlace;
    bool linked = false;
    const std::string file = FileBehind(path, linked);
    if (file.empty())
        return Replacement::InPlace;
    // Behind a link the file may lie in a folder this program may not
    // write; the link's own folder could not take the file's place.
    const Replacement without = linked ? Replacement::InPlace : Replacement::NoTemporaryFile;

    // Without the folder the rename cannot be made durable.
    const PathParts parts = SplitPath(file);
    const std::string& name = parts.name;
    Folder folder(parts.folder);
    if (!folder.IsOpen())
        return without;
    // The folder opened is the one that holds the open file under its name,
    // and its only name; any other (a folder on the way changed since, or a
    // name given to the file meanwhile) is not ours to write in.
    struct stat now {};
    if (!folder.Holds(name, original) || ::fstat(current, &now) != 0 || now.st_nlink > 1)
        return Replacement::InPlace;
    // A link with the temporary name through which `path` reaches the file
    // is part of the way users take to it: removing it would cut them off.
    // Any other link there is planted or stale, and is cleared as any file.
    const std::string temporaryName = name + "tmp";
    struct stat link {};
    if (linked && folder.Link(temporaryName, link) && ReachedThrough(path, link))
        return Replacement::InPlace;
    CTemporaryFile temporary(folder.Descriptor(), temporaryName);
    switch (temporary.CreateAsCopy(current, original, content)) {
    case CopyStep::Create:
        return without;
    case CopyStep::Attributes:
        return Replacement::InPlace;
    case CopyStep::Write:
        ThrowFileError("File write: ");
    case CopyStep::Sync:
        ThrowFileError("File flush: ");
    case CopyStep::Done:
        break;
    }
    const int descriptor = temporary.Descriptor();

    // The descriptor number of `current` takes the new file before the
    // rename, while a second descriptor keeps the old file and its lock:
    // after the rename nothing is left that can fail but the folder's sync.
    const int old = ::fcntl(current, F_DUPFD_CLOEXEC, 0);
    if (old < 0)
        ThrowFileError("File open: ");
    if (::dup3(descriptor, current, O_CLOEXEC) < 0) {
        const int error = errno;
        ::close(old);
        FailAfter("File open: ", error);
    }
    if (::renameat(folder.Descriptor(), temporaryName.c_str(), folder.Descriptor(), name.c_str()) != 0) {
        const int error = errno;
        ::dup3(old, current, O_CLOEXEC);
        ::close(old);
        FailAfter("File rename: ", error);
    }
    ::close(temporary.Release());
    const bool synced = SyncFolder(folder.Descriptor());
    const int error = errno;
    // The old file, which has lost its name, and its lock go last, once the
    // new name is on disk.
    ::close(old);
    if (!synced)
        throw FolderSyncFailure(std::string("File flush: ") + std::strerror(error), error);
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
    FailAfter(failed, error);
}

void PutContent(int descriptor, const std::string& path, std::string_view old, std::string_view content,
                CKeptVersion* version)
{
    try {
        if (ReplaceThroughTemporaryFile(descriptor, path, content) == Replacement::Renamed)
            return;
    } catch (const FolderSyncFailure&) {
        // The file holds the change: the content it replaced stays kept.
        if (version != nullptr)
            version->Keep();
        throw;
    }
    if (version != nullptr)
        version->SyncFolder();
    RewriteInPlace(descriptor, old, content);
}
