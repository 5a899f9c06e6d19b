// WholeFile.cpp: reading a file whole with pread.
#include "files/WholeFile.h"

#include "files/SFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

FileBytes ReadWholeFile(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        ThrowFileError("File length: ");
    if (status.st_size > static_cast<off_t>(MaxFileSize)) {
        errno = EFBIG;
        ThrowFileError("File read: ");
    }
    FileBytes file;
    // One byte more than the file holds, so that the end shows at once.
    size_t capacity = static_cast<size_t>(status.st_size) + 1;
    file.buffer.reset(new (std::nothrow) char[capacity]);
    for (;;) {
        if (file.buffer == nullptr) {
            errno = ENOMEM;
            ThrowFileError("File read: ");
        }
        if (file.size == capacity) {
            // Grown since its size was asked: room for more, up to one byte
            // past the limit, which shows that the file is too large.
            if (file.size > MaxFileSize) {
                errno = EFBIG;
                ThrowFileError("File read: ");
            }
            capacity = std::min(capacity * 2, MaxFileSize + 1);
            std::unique_ptr<char[]> grown(new (std::nothrow) char[capacity]);
            if (grown != nullptr)
                std::memcpy(grown.get(), file.buffer.get(), file.size);
            file.buffer = std::move(grown);
            continue;
        }
        const ssize_t got = ::pread(descriptor, file.buffer.get() + file.size, capacity - file.size,
                                    static_cast<off_t>(file.size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowFileError("File read: ");
        // A read may stop short anywhere (a kernel hands over at most about
        // 2 GiB at a time): only a read that gets nothing is the end.
        if (got == 0)
            break;
        file.size += static_cast<size_t>(got);
    }
    return file;
}
