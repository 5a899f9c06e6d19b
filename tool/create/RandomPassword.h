// RandomPassword.h: a fresh password from the kernel's random source.
#pragma once

#include <cstddef>
#include <string>

// The letters a password is made of: lower-case letters and digits without
// l, o, 0 and 1, which are easily misread. Lower case alone, so that a
// database that compares passwords without regard to letter case loses no
// strength; 32 of them, so that each random byte gives one without bias.
inline constexpr char PasswordAlphabet[] = "abcdefghijkmnpqrstuvwxyz23456789";

// The length of a password: 5 bits a letter, 100 bits in all.
constexpr size_t RandomPasswordLength = 20;

// A password of RandomPasswordLength letters of PasswordAlphabet, read from
// the kernel's random source (base/RandomBytes.h). Raises
// CommandFailure when neither gives bytes.
std::string RandomPassword();
