// WholeFile.cpp: reading a file whole with pread.
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

}  // namespace

std::string ReadWholeFile(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        ThrowFileError("File length: ");
    if (status.st_size > static_cast<off_t>(MaxFileSize))
        RefuseTooLarge();
    // One byte more than the file holds, so that the end shows at once.
    std::string bytes(static_cast<size_t>(status.st_size) + 1, '\0');
    size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            // Grown since its size was asked: room for more, up to one byte
            // past the limit, which shows that the file is too large.
            if (size > MaxFileSize)
                RefuseTooLarge();
            bytes.resize(std::min(size * 2, MaxFileSize + 1));
        }
        const ssize_t got = ::pread(descriptor, bytes.data() + size, bytes.size() - size, static_cast<off_t>(size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowFileError("File read: ");
        // A read may stop short anywhere (a kernel hands over at most about
        // 2 GiB at a time): only a read that gets nothing is the end.
        if (got == 0)
            break;
        size += static_cast<size_t>(got);
    }
    bytes.resize(size);
    return bytes;
}
