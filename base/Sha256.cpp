// Sha256.cpp: SHA-256 written out plainly from its definition, one block of
// 64 bytes at a time; HMAC on top of it.
#include "base/Sha256.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr size_t BlockSize = 64;

std::uint32_t RotateRight(std::uint32_t word, int bits)
{
    return (word >> bits) | (word << (32 - bits));
}

void Compress(std::uint32_t state[8], const unsigned char* block)
{
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (std::uint32_t(block[4 * i]) << 24) | (std::uint32_t(block[4 * i + 1]) << 16)
               | (std::uint32_t(block[4 * i + 2]) << 8) | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + RoundConstants[i] + w[i];
        const std::uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

// The digest of the message made of `first` followed by `second`: HMAC's
// inner and outer digests, without joining the two into one text.
Sha256Digest Sha256Of(std::string_view first, std::string_view second)
{
    std::uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    unsigned char block[BlockSize];
    size_t filled = 0;
    for (std::string_view part : {first, second}) {
        while (!part.empty()) {
            const size_t taken = std::min(BlockSize - filled, part.size());
            std::memcpy(block + filled, part.data(), taken);
            part.remove_prefix(taken);
            filled += taken;
            if (filled == BlockSize) {
                Compress(state, block);
                filled = 0;
            }
        }
    }
    // The padding: a 1 bit, zeros, and the message's length in bits.
    const std::uint64_t bits = (std::uint64_t(first.size()) + second.size()) * 8;
    block[filled++] = 0x80;
    if (filled > BlockSize - 8) {
        std::memset(block + filled, 0, BlockSize - filled);
        Compress(state, block);
        filled = 0;
    }
    std::memset(block + filled, 0, BlockSize - 8 - filled);
    for (int i = 0; i < 8; ++i)
        block[BlockSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    Compress(state, block);

    Sha256Digest digest;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<std::uint8_t>(state[i] >> (24 - 8 * j));
    return digest;
}

std::string_view AsText(const Sha256Digest& digest)
{
    return {reinterpret_cast<const char*>(digest.data()), digest.size()};
}

}  // namespace

Sha256Digest Sha256(std::string_view message)
{
    return Sha256Of(message, {});
}

Sha256Digest HmacSha256(std::string_view key, std::string_view message)
{
    Sha256Digest longKey;
    if (key.size() > BlockSize) {
        longKey = Sha256(key);
        key = AsText(longKey);
    }
    char inner[BlockSize], outer[BlockSize];
    for (size_t i = 0; i < BlockSize; ++i) {
        const unsigned char byte = i < key.size() ? static_cast<unsigned char>(key[i]) : 0;
        inner[i] = static_cast<char>(byte ^ 0x36);
        outer[i] = static_cast<char>(byte ^ 0x5c);
    }
    const Sha256Digest innerDigest = Sha256Of({inner, BlockSize}, message);
    return Sha256Of({outer, BlockSize}, AsText(innerDigest));
}

std::string HexDigits(const Sha256Digest& digest)
{
    static const char Hex[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * digest.size());
    for (std::uint8_t byte : digest) {
        text += Hex[byte >> 4];
        text += Hex[byte & 0x0f];
    }
    return text;
}
