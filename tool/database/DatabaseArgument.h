// DatabaseArgument.h: the database a command names: its folder entered with
// its owner's rights, and its initialisation file in it.
#pragma once

#include "tool/rights/OwnerRights.h"

#include <string>

struct DatabaseFile {
    std::string shown;  // the file's path as the command line gives it, for every message
    std::string name;   // its name in the database's folder, the working folder
    Account folderOwner;
    uid_t user;  // who runs the tool, whatever rights it then takes
};

// `database` is the database's folder (.../members, whose file is
// members/members.ini) or its file (a name ending in ".ini", in the folder
// its path names). Opens that folder and enters it with its owner's rights
// (EnterFolderAsOwner); only then is anything in it looked at. Raises
// CommandFailure when the argument names neither, or when the file does not
// exist.
DatabaseFile EnterDatabase(const std::string& database);
