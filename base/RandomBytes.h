// RandomBytes.h: bytes from the kernel's random source, for the shell tool's
// passwords and a database's sign-in key.
#pragma once

#include <cstddef>

// Fills `bytes` from getrandom, waiting for its source to be ready (or from
// /dev/urandom where the kernel lacks it). False with errno set when neither
// gives them.
bool ReadRandomBytes(unsigned char* bytes, size_t count);
