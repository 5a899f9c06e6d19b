// Dispatcher.h: the front of every request: header, version page, the
// database name, the HTML head, and the hand-over to the administration request.
#pragma once

#include "request/AdminRequest.h"

#include <string>

// Where the program lives. Backslashes count as slashes, so a path written either way gives the same result.
ProgramLocation LocateProgram(std::string path);

// The whole request; returns the exit status.
int RunRequest(const char* programPath);
