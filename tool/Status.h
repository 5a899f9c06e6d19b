// Status.h: what a database's administration settings are, read only.
#pragma once

#include <string>

struct DatabaseFile;

// The lines that say the file's path, its number of entry items, whether
// remote administration is on and whether an administration password is set
// (never the password). Opens the file with a shared lock, waiting a moment
// for a change in progress, and writes nothing. Raises CommandFailure when
// the file cannot be opened or read.
std::string StatusText(const DatabaseFile& file);
