// RandomBytes.cpp: the kernel's random source, read whole.
#include "base/RandomBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

bool ReadRandomBytes(unsigned char* bytes, size_t count)
{
    size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::getrandom(bytes + filled, count - filled, 0);
        if (got > 0) {
            filled += static_cast<size_t>(got);
        } else if (got < 0 && errno == ENOSYS) {
            break;
        } else if (got < 0 && errno != EINTR) {
            return false;
        }
    }
    if (filled == count)
        return true;
    const int device = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (device < 0)
        return false;
    while (filled < count) {
        const ssize_t got = ::read(device, bytes + filled, count - filled);
        if (got > 0)
            filled += static_cast<size_t>(got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    const int error = errno;
    ::close(device);
    errno = error;
    return filled == count;
}
