// WordBytes.h: looking at eight bytes of text at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The eight bytes at `bytes`, in memory order within the word's own order.
inline uint64_t LoadWord(const char* bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, 8);
    return word;
}

// Nonzero when one of the eight bytes of `word` is `byte`. Only whether it is
// nonzero counts: a bit above a match may be set without a match there.
inline uint64_t HoldsByte(uint64_t word, unsigned char byte)
{
    constexpr uint64_t Ones = 0x0101010101010101ull;
    const uint64_t x = word ^ (Ones * byte);
    return (x - Ones) & ~x & (Ones << 7);
}

// The offset of the first byte that `HoldsByte` (or several of them OR-ed)
// found in `bytes`, whose word gave the nonzero `found`. The lowest set bit
// is always a true match; on a little-endian machine it is the first byte.
inline size_t FirstFound(const char* bytes, uint64_t found, unsigned char byte, unsigned char other)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    (void)bytes;
    (void)byte;
    (void)other;
    return static_cast<size_t>(__builtin_ctzll(found)) / 8;
#else
    (void)found;
    size_t offset = 0;
    while (bytes[offset] != static_cast<char>(byte) && bytes[offset] != static_cast<char>(other))
        ++offset;
    return offset;
#endif
}

