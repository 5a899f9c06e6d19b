// AdminRequest.h: the administration request: open and load the database's
// initialisation file, check the request and run its action.
#pragma once

#include <optional>
#include <string>

class CCgiForm;

// Where the program lives, taken from its own path (argv[0]); the databases
// lie in folders beside it.
struct ProgramLocation {
    std::string fileName;  // after the last "/" (the whole path without one)
    std::string dir;       // up to and including the last "/" of an absolute path, else empty
};

// ProgramDir + DBName + "/" + DBName + ".ini"
std::string IniPathFor(const std::string& programDir, const std::string& dbName);

// The request for the database CurrentDBName, whose name is checked before
// any path is made of it; `action` is the field act (none when not sent).
void RunAdminRequest(CCgiForm& form, const std::optional<std::string>& action, const ProgramLocation& program);
