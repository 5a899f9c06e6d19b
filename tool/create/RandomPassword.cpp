// RandomPassword.cpp: random bytes turned into letters.
#include "tool/create/RandomPassword.h"

#include "base/RandomBytes.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <cstring>

static_assert(sizeof PasswordAlphabet - 1 == 32, "one letter for each 5 bits");

std::string RandomPassword()
{
    unsigned char bytes[RandomPasswordLength];
    if (!ReadRandomBytes(bytes, sizeof bytes))
        throw CommandFailure(std::string("cannot read the kernel's random source: ") + std::strerror(errno));
    std::string password;
    for (unsigned char byte : bytes)
        password += PasswordAlphabet[byte % 32];
    std::memset(bytes, 0, sizeof bytes);
    return password;
}
