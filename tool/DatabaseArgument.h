// DatabaseArgument.h: the database a command names, as the path of its
// initialisation file.
#pragma once

#include <string>

// `database` is the database's folder (.../members, whose file is
// members/members.ini) or its file (a name ending in ".ini"). Returns the
// file's path; raises CommandFailure when the argument names neither, or
// when the file does not exist.
std::string DatabaseIniPath(const std::string& database);
