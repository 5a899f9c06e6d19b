// WholeFile.cpp: reading a file whole with pread, writing it whole with pwrite.
#include "files/WholeFile.h"

#include "files/SFile.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void RefuseTooLarge()
{
    errno = EFBIG;
    ThrowFileError("File read: ");
}

// The file's size, refused over the limit before anything is read.
size_t CheckedSize(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        ThrowFileError("File length: ");
    if (status.st_size > static_cast<off_t>(MaxFileSize))
        RefuseTooLarge();
    return static_cast<size_t>(status.st_size);
}

// Reads at `offset` into `buffer`, going on after an interruption; 0 at the end.
size_t ReadAt(int descriptor, char* buffer, size_t count, size_t offset)
{
    for (;;) {
        const ssize_t got = ::pread(descriptor, buffer, count, static_cast<off_t>(offset));
        if (got >= 0)
            return static_cast<size_t>(got);
        if (errno != EINTR)
            ThrowFileError("File read: ");
    }
}

}  // namespace

std::string ReadFirstLine(int descriptor)
{
    CheckedSize(descriptor);
    constexpr size_t Block = 4096;
    std::string bytes;
    for (;;) {
        const size_t size = bytes.size();
        if (size > MaxFileSize)
            RefuseTooLarge();
        bytes.resize(size + Block);
        const size_t got = ReadAt(descriptor, bytes.data() + size, Block, size);
        bytes.resize(size + got);
        if (got == 0 || bytes.find('\n', size) != std::string::npos)
            return bytes;
    }
}

std::string ReadWholeFile(int descriptor)
{
    // One byte more than the file holds, so that the end shows at once.
    std::string bytes(CheckedSize(descriptor) + 1, '\0');
    size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            // Grown since its size was asked: room for more, up to one byte
            // past the limit, which shows that the file is too large.
            if (size > MaxFileSize)
                RefuseTooLarge();
            bytes.resize(std::min(size * 2, MaxFileSize + 1));
        }
        // A read may stop short anywhere (a kernel hands over at most about
        // 2 GiB at a time): only a read that gets nothing is the end.
        const size_t got = ReadAt(descriptor, bytes.data() + size, bytes.size() - size, size);
        if (got == 0)
            break;
        size += got;
    }
    bytes.resize(size);
    return bytes;
}

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
