// CommandFailure.h: a command of the shell tool that cannot be done, with the
// one line that says why and the exit status that tells what the database's
// file then holds.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

struct DatabaseFile;

// The exit statuses, by what the database's file holds afterwards.
enum ExitStatus : int {
    ExitDone = 0,         // what was asked, whether changed now or already so
    ExitAsItWas = 1,      // as it was: refused, or failed before the change
    ExitUsage = 2,        // a usage error: nothing was looked at
    ExitUnconfirmed = 3,  // the change, but it could not be reported on standard
                          // output, or the folder's sync failed after the rename
};

class CommandFailure : public std::runtime_error {
public:
    explicit CommandFailure(const std::string& line, int status = ExitAsItWas)
        : std::runtime_error(line), exitStatus(status)
    {
    }
    int Status() const { return exitStatus; }

private:
    int exitStatus;
};

// The failure for a database file at `path` that did not open, from the
// open's errno: missing, held by another process, not a regular file, or the
// system's own description.
CommandFailure OpenFailure(const std::string& path, int error);
// The same for the database's `file`; a plain file that the folder's owner,
// as whom the tool acts, may not open because another user owns it gets the
// line that names both owners and the chown that mends it.
CommandFailure OpenFailure(const DatabaseFile& file, int error);

// Runs `work`; a file error it raises becomes the CommandFailure
// "FILE: error" (a CommandFailure passes unchanged).
void NamingFileErrors(const DatabaseFile& file, const std::function<void()>& work);
