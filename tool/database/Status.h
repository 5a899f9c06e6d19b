// Status.h: what a database's administration settings are, read only.
#pragma once

#include <string>

struct DatabaseFile;

// The lines that say the file's path, its number of entry items, whether
// remote administration is on, whether an administration password is set,
// and how many (and which) of the database's own passwords are empty (never
// a password). Opens the file with a shared lock, waiting a moment
// for a change in progress, and writes nothing. Raises CommandFailure when
// the file cannot be opened or read.
std::string StatusText(const DatabaseFile& file);
