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
// The user named `name` (/etc/passwd) with the group of its account line and
// its groups (/etc/group), as a login gives them; nothing when there is none.
std::optional<Account> UserNamed(const std::string& name);
// The same for the user `uid`.
std::optional<Account> AccountOf(uid_t uid);
// A user other than root and `owner` who has the group `gid`, as the primary
// group of its /etc/passwd line or by name in /etc/group: one who may write
// where that group may. Nothing when there is none.
std::optional<std::string> OtherMemberOf(gid_t gid, uid_t owner);
