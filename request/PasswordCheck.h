// PasswordCheck.h: whether a request's password opens the database.
#pragma once

#include <string>

// True when `sent` equals the database's `stored` administration password,
// byte for byte. An empty stored password matches nothing: a database without
// one cannot be administered from the web. The time taken depends on the
// lengths only, never on where the two texts differ.
bool PasswordMatches(const std::string& sent, const std::string& stored);
