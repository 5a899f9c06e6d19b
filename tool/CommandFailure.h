// CommandFailure.h: a command of the shell tool that cannot be done, with the
// one line that says why.
#pragma once

#include <stdexcept>
#include <string>

class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The failure for a database file at `path` that did not open, from the
// open's errno: missing, held by another process, not a regular file, or the
// system's own description.
CommandFailure OpenFailure(const std::string& path, int error);
