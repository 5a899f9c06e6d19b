// WordBytes.h: looking at eight (or sixteen) bytes of text at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The eight bytes at `bytes` as one word (no alignment needed).
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

// Bit i set when byte i of the sixteen at `bytes` (all readable) is `a` or `b`.
inline unsigned MatchesInSixteen(const char* bytes, char a, char b)
{
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(a)), _mm_cmpeq_epi8(block, _mm_set1_epi8(b)))));
#else
    unsigned found = 0;
    for (unsigned i = 0; i < 16; ++i)
        found |= (bytes[i] == a || bytes[i] == b ? 1u : 0u) << i;
    return found;
#endif
}

// How many bytes FirstOfTwo looks at in one step.
#if defined(__SSE2__)
constexpr size_t ScanStep = 16;
#else
constexpr size_t ScanStep = 8;
#endif

// The offset of the first `a` or `b` among the ScanStep bytes at `bytes`
// (all of which must be readable); ScanStep when there is none.
inline size_t FirstOfTwo(const char* bytes, char a, char b)
{
#if defined(__SSE2__)
    const unsigned found = MatchesInSixteen(bytes, a, b);
    return found == 0 ? ScanStep : static_cast<size_t>(__builtin_ctz(found));
#else
    const uint64_t word = LoadWord(bytes);
    const auto first = static_cast<unsigned char>(a);
    const auto second = static_cast<unsigned char>(b);
    const uint64_t found = HoldsByte(word, first) | HoldsByte(word, second);
    return found == 0 ? ScanStep : FirstFound(bytes, found, first, second);
#endif
}
