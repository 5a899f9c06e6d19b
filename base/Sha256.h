// Sha256.h: the SHA-256 digest and the HMAC keyed with it, for the sign-in
// that the history pages carry from page to page.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using Sha256Digest = std::array<std::uint8_t, 32>;

// The SHA-256 digest of `message`.
Sha256Digest Sha256(std::string_view message);

// HMAC-SHA-256 of `message` under `key` (a key longer than a block is
// digested first, as the HMAC construction says).
Sha256Digest HmacSha256(std::string_view key, std::string_view message);

// The digest as 64 lower-case hex digits.
std::string HexDigits(const Sha256Digest& digest);
