// SFile.cpp: the file object: open modes, whole-file lock, raw transfers,
// positioning, length, names, range locks, rename and removal.
#include "files/SFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <stdio_ext.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

void (*BeforeOpenLock)(const char* path) = nullptr;

namespace {

// Every lookup reads the file from its start; a buffer larger than the
// files we handle keeps such a pass from going back to the kernel per line.
// The C library sizes a buffer it allocates itself as it likes, so the
// buffer is ours, kept here for as long as its stream is open.
constexpr size_t StreamBufferSize = 64 * 1024;
std::map<const FILE*, std::unique_ptr<char[]>> StreamBuffers;

void GiveLargeBuffer(FILE* stream)
{
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[StreamBufferSize]);
    if (buffer && std::setvbuf(stream, buffer.get(), _IOFBF, StreamBufferSize) == 0)
        StreamBuffers[stream] = std::move(buffer);
}

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
    throw std::runtime_error(text);
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
// the path still names the locked file. A mode that empties the file does so
// only once the lock is held, so an open that meets another holder's lock
// leaves that holder's content alone. On failure no stream is left open and
// errno describes the failure.
bool CSFile::OpenAndLock(int mode)
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

    const int descriptor = ::open(path.c_str(), flags, 0666);
    if (descriptor < 0)
        return false;
    stream = ::fdopen(descriptor, streamMode);
    if (stream == nullptr) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
        return false;
    }
    GiveLargeBuffer(stream);
    // The program has one thread: the library need not take the stream's
    // lock on every call, and a lookup makes several calls per line.
    ::__fsetlocking(stream, FSETLOCKING_BYCALLER);

    if (BeforeOpenLock != nullptr)
        BeforeOpenLock(path.c_str());

    bool locked = ::flock(descriptor, ((mode & OpenShared) ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0;
    struct stat opened {};
    if (locked && ::fstat(descriptor, &opened) != 0)
        locked = false;
    if (locked) {
        // A file replaced by rename after we opened it would be locked and
        // edited after it lost its name; treat that like a held lock.
        struct stat named {};
        if (::stat(path.c_str(), &named) != 0 || opened.st_dev != named.st_dev
            || opened.st_ino != named.st_ino) {
            errno = EWOULDBLOCK;
            locked = false;
        }
    }
    // Devices and pipes have no content to empty.
    if (locked && empties && S_ISREG(opened.st_mode) && ::ftruncate(descriptor, 0) != 0)
        locked = false;
    if (locked)
        return true;

    const int error = errno;
    try {
        Close();
    } catch (const std::runtime_error&) {
        // The failure being reported is the lock's, not the close's.
    }
    stream = nullptr;
    errno = error;
    return false;
}

void CSFile::Close()
{
    if (stream == nullptr)
        return;
    FILE* closing = stream;
    stream = nullptr;
    // The stream's buffer is released only after fclose has used it.
    std::unique_ptr<char[]> buffer;
    const auto found = StreamBuffers.find(closing);
    if (found != StreamBuffers.end()) {
        buffer = std::move(found->second);
        StreamBuffers.erase(found);
    }
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
