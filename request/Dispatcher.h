// Dispatcher.h: the front of every request: header, version page, the
// database name, the HTML head, and the hand-over to the administration request.
#pragma once

#include <string>

// Where the program lives, taken from its own path (argv[0]).
struct ProgramLocation {
    std::string fileName;  // after the last "/" (the whole path without one)
    std::string dir;       // up to and including the last "/" of an absolute path, else empty
};
// Backslashes count as slashes, so a path written either way gives the same result.
ProgramLocation LocateProgram(std::string path);

// ProgramDir + DBName + "/" + DBName + ".ini"
std::string IniPathFor(const std::string& programDir, const std::string& dbName);

// The whole request; returns the exit status.
int RunRequest(const char* programPath);
