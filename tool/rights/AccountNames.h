// AccountNames.h: the names of users and groups, as the system's account files
// give them, for the tool's messages.
#pragma once

#include "tool/rights/OwnerRights.h"

#include <optional>
#include <string>
#include <sys/types.h>

// The name of the user `uid` (/etc/passwd), or its number when it has none.
std::string UserName(uid_t uid);
// The name of the group `gid` (/etc/group), or its number when it has none.
std::string GroupName(gid_t gid);
// The user named `name` (/etc/passwd) with the group of its account line;
// nothing when there is none.
std::optional<Account> UserNamed(const std::string& name);
