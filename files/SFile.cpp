// SFile.cpp: the file object: open modes, whole-file lock, raw transfers,
// positioning, length, names, range locks, rename and removal.
#include "files/SFile.h"

#include "files/FileIdentity.h"
#include "files/LockWait.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <stdio_ext.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The C library open mode for an Open mode and, for the modes that need it,
// whether the file exists.
const char* StreamModeFor(int mode, const std::string& path)
{
    const int access = mode & 3;
    const bool create = (mode & OpenCreate) != 0;
    const bool keep = (mode & OpenKeep) != 0;
    const auto exists = [&] { return ::access(path.c_str(), F_OK) == 0; };
    if (access == OpenRead)
        return "r";
    if (access == OpenWrite)
        return keep && exists() ? "r+" : "w";
    if (!create)
        return "r+";
    return keep && exists() ? "r+" : "w+";
}

}  // namespace

void ThrowFileError(const char* context)
{
    const int error = errno;
    std::string text = context != nullptr ? context : "";
    text += std::strerror(error);
    throw FileError(text, error);
}

CSFile::CSFile() = default;

CSFile::CSFile(const char* newPath, int mode)
{
    Open(newPath, mode, false);
}

CSFile::~CSFile()
{
    if (stream != nullptr) {
        try {
            CSFile::Close();
        } catch (const std::runtime_error&) {
            // A destructor cannot report; the stream is released either way.
        }
    }
}

bool CSFile::Open(const char* newPath, int mode, bool raiseOnFailure)
{
    if (stream != nullptr) {
        try {
            Close();
        } catch (const std::runtime_error& error) {
            if (raiseOnFailure)
                throw std::runtime_error(error.what());
            return false;
        }
    }
    path = newPath != nullptr ? newPath : "";
    if (OpenAndLock(mode))
        return true;
    if (raiseOnFailure)
        ThrowFileError("File open: ");
    return false;
}

// Opens `path` in the stream mode the table gives, locks it and checks that
// the path still names the locked file, again within the same lock wait when
// the lock is waited for. A mode that empties the file does so only once the
// lock is held, so an open that meets another holder's lock leaves that
// holder's content alone. On failure no stream is left open and errno
// describes the failure.
bool CSFile::OpenAndLock(int mode)
{
    timespec deadline {};
    const timespec* until = nullptr;
    if ((mode & OpenWaitForLock) != 0) {
        deadline = DeadlineAfter(LockWait);
        until = &deadline;
    }
    for (;;) {
        const int opened = TryOpenAndLock(mode, until);
        if (opened > 0)
            return true;
        if (opened < 0)
            return false;
        // Another process renamed a new file over the path meanwhile: that
        // one is the file now. Without waiting, this counts as a held lock.
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if (until == nullptr || now.tv_sec > deadline.tv_sec
            || (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec)) {
            errno = EWOULDBLOCK;
            return false;
        }
    }
}

int CSFile::TryOpenAndLock(int mode, const timespec* deadline)
{
    const char* streamMode = StreamModeFor(mode, path);
    const bool empties = streamMode[0] == 'w';
    int flags = O_RDWR;
    if (streamMode[0] == 'r' && streamMode[1] != '+')
        flags = O_RDONLY;
    else if (std::strcmp(streamMode, "w") == 0)
        flags = O_WRONLY;
    if (empties)
        flags |= O_CREAT;

    // O_NONBLOCK: opening a pipe must not wait for a writer (or a reader).
    const int descriptor = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return -1;
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
        return -1;
    }
    if (!S_ISREG(opened.st_mode)) {
        if ((mode & OpenRegularFile) != 0) {
            ::close(descriptor);
            errno = S_ISDIR(opened.st_mode) ? EISDIR : ENXIO;
            return -1;
        }
        // Reading and writing wait as usual; O_NONBLOCK means nothing to a
        // regular file.
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    }
    stream = ::fdopen(descriptor, streamMode);
    if (stream == nullptr) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
        return -1;
    }
    // The program has one thread: the library need not take the stream's
    // lock on every call.
    ::__fsetlocking(stream, FSETLOCKING_BYCALLER);

    int result = LockFile(descriptor, (mode & OpenShared) ? LOCK_SH : LOCK_EX, deadline) ? 1 : -1;
    if (result > 0) {
        // A file replaced by rename after we opened it would be locked and
        // edited after it lost its name.
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0 || !SameFile(opened, named))
            result = 0;
    }
    // Devices and pipes have no content to empty.
    if (result > 0 && empties && S_ISREG(opened.st_mode) && ::ftruncate(descriptor, 0) != 0)
        result = -1;
    if (result > 0)
        return result;

    const int error = errno;
    try {
        Close();
    } catch (const std::runtime_error&) {
        // The failure being reported is the lock's, not the close's.
    }
    stream = nullptr;
    errno = error;
    return result;
}

void CSFile::Close()
{
    if (stream == nullptr)
        return;
    FILE* closing = stream;
    stream = nullptr;
    if (std::fclose(closing) != 0)
        ThrowFileError("File close: ");
}

void CSFile::ChangeDirection(int transfer)
{
    if (lastTransfer != 0 && lastTransfer != transfer)
        Flush();
    lastTransfer = transfer;
}

size_t CSFile::Read(void* buffer, size_t count)
{
    ChangeDirection(1);
    std::clearerr(stream);
    const size_t got = std::fread(buffer, 1, count, stream);
    if (std::ferror(stream))
        ThrowFileError("File read: ");
    return got;
}

void CSFile::Write(const void* buffer, size_t count)
{
    ChangeDirection(2);
    const size_t written = std::fwrite(buffer, 1, count, stream);
    if (written < count || std::ferror(stream))
        ThrowFileError("File write: ");
}

long CSFile::Seek(long offset, int origin)
{
    if (std::fseek(stream, offset, origin) != 0)
        ThrowFileError("File seek: ");
    return GetPosition();
}

long CSFile::GetPosition()
{
    const long position = std::ftell(stream);
    // Remove's context, on purpose: the page of this error has always read so.
    if (position == -1)
        ThrowFileError("File removal: ");
    return position;
}

long CSFile::GetLength()
{
    struct stat status {};
    if (::fstat(::fileno(stream), &status) != 0)
        ThrowFileError("File length: ");
    return static_cast<long>(status.st_size);
}

void CSFile::SetLength(long length)
{
    // A length text for truncation, on purpose: the page of this error has always read so.
    if (::ftruncate(::fileno(stream), length) != 0)
        ThrowFileError("Get file length: ");
}

void CSFile::Flush()
{
    if (std::fflush(stream) != 0)
        ThrowFileError("File flush: ");
}

std::string CSFile::GetFileName() const
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string CSFile::GetFileTitle() const
{
    const std::string name = GetFileName();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string CSFile::GetFileDirectory() const
{
    const long count = static_cast<long>(path.size()) - static_cast<long>(GetFileName().size()) - 1;
    return count > 0 ? path.substr(0, static_cast<size_t>(count)) : std::string();
}

void CSFile::SetFilePath(const char* newPath)
{
    path = newPath != nullptr ? newPath : "";
}

void CSFile::RangeLock(long position, long count, int origin, short type)
{
    try {
        Seek(position, origin);
    } catch (const std::runtime_error&) {
        return;  // a range that cannot be reached is left alone, silently
    }
    struct flock range {};
    range.l_type = type;
    range.l_whence = static_cast<short>(origin);
    range.l_start = position;
    range.l_len = count;
    if (::fcntl(::fileno(stream), F_SETLK, &range) != 0)
        ThrowFileError("LockRange: ");
}

void CSFile::LockRange(long position, long count, int origin)
{
    RangeLock(position, count, origin, F_WRLCK);
}

void CSFile::UnlockRange(long position, long count, int origin)
{
    RangeLock(position, count, origin, F_UNLCK);
}

FILE* CSFile::GetStream() const
{
    return stream;
}

void CSFile::Rename(const char* oldPath, const char* newPath)
{
    if (std::rename(oldPath, newPath) != 0)
        ThrowFileError("File rename: ");
}

void CSFile::Remove(const char* path)
{
    if (std::remove(path) != 0)
        ThrowFileError("File removal: ");
}
