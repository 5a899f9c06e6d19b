// RandomPassword.cpp: random bytes turned into letters.
#include "tool/create/RandomPassword.h"

#include "tool/CommandFailure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace {

static_assert(sizeof PasswordAlphabet - 1 == 32, "one letter for each 5 bits");

// Fills `bytes` from the kernel, waiting for its source to be ready.
bool ReadRandom(unsigned char* bytes, size_t count)
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
    ::close(device);
    return filled == count;
}

}  // namespace

std::string RandomPassword()
{
    unsigned char bytes[RandomPasswordLength];
    if (!ReadRandom(bytes, sizeof bytes))
        throw CommandFailure(std::string("cannot read the kernel's random source: ") + std::strerror(errno));
    std::string password;
    for (unsigned char byte : bytes)
        password += PasswordAlphabet[byte % 32];
    std::memset(bytes, 0, sizeof bytes);
    return password;
}
