// WholeFile.cpp: reading a file whole with pread.
#include "files/WholeFile.h"

#include "files/SFile.h"

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
            std::unique_ptr<char[]> grown(new (std::nothrow) char[capacity * 2]);
            if (grown != nullptr)
                std::memcpy(grown.get(), file.buffer.get(), file.size);
            file.buffer = std::move(grown);
            capacity *= 2;
            continue;
        }
        const ssize_t got = ::pread(descriptor, file.buffer.get() + file.size, capacity - file.size,
                                    static_cast<off_t>(file.size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowFileError("File read: ");
        if (got == 0)
            break;
        file.size += static_cast<size_t>(got);
        // A regular file reads whole up to its end: a short read is the end.
        if (S_ISREG(status.st_mode) && file.size < capacity)
            break;
    }
    return file;
}
