// SigninKey.h: a database's sign-in key, the random secret under which the
// web pages sign what keeps their owner signed in from page to page.
//
// It is a file of SigninKeyLength random bytes beside the database's file
// (in the folder of the file's path as named), made on first use by the
// process that uses it, its owner's alone (0600). It is no version of the
// database's file: the history never holds it, and it goes wherever the
// database's folder goes. Removing it ends every sign-in given under it; the
// next use makes a new one.
#pragma once

#include <cstddef>
#include <string>

// No database file is named so.
inline constexpr char SigninKeyName[] = "zephconf-signin.key";
inline constexpr size_t SigninKeyLength = 32;

// The sign-in key of the database file `path`, made when there is none. A
// key that is not a regular file of SigninKeyLength bytes that this process's
// user owns and nobody else may read or write (a link, a file planted by
// another user, a short file) is taken for none: it is removed and made
// anew. Empty, with errno set, when no key can be had (a folder that may not
// be written, a folder in its place, no random bytes).
std::string SigninKey(const std::string& path);

// The sign-in key of the database file `path` as it stands, neither made nor
// removed: what a sign-in sent is checked against, so that a refused request
// leaves the folder as it was. Empty when there is none that can be trusted.
std::string ExistingSigninKey(const std::string& path);

// Ends every sign-in to the database file `path`: its key is removed. False
// with errno set when a key is there and cannot be removed.
bool RemoveSigninKey(const std::string& path);
