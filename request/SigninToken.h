// SigninToken.h: what keeps the owner of a database signed in from one
// history page to the next after the administration password was checked
// once: a text carried in the pages' posted forms, never in an address.
//
// It is "EXPIRY.MAC": the time it ends (seconds since the epoch) and the
// HMAC-SHA-256, under the database's sign-in key (files/SigninKey.h), of the
// database's name, that time and the administration password as the file
// holds it. It holds nothing from which the password could be tested without
// the key, which never leaves the server; it ends at its time, when the
// password changes, and when the key goes (remote administration switched,
// config/ChangeTransaction.h); another database's name, a changed time or
// MAC, or another key make a text that is refused.
#pragma once

#include <ctime>
#include <string>

// How long a sign-in lasts from the password's check.
inline constexpr std::time_t SigninLifetime = 15 * 60;

// The sign-in to the database `database` whose administration password is
// `password`, under `key`, ending at `expiry`. Empty for an empty key or
// password: a database without a password lets nobody in.
std::string SigninToken(const std::string& key, const std::string& database, const std::string& password,
                        std::time_t expiry);

// The time `token` ends when it is a sign-in to that database with that
// password under that key that has not ended at `now` (and ends no later
// than SigninLifetime after it); 0 for any other text. The MAC is compared
// in a time that does not depend on where it differs.
std::time_t SigninExpiry(const std::string& token, const std::string& key, const std::string& database,
                         const std::string& password, std::time_t now);
