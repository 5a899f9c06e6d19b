// AccountNames.h: users and groups as the system's account lookups give them
// (the C library's, through every source the system names: the account
// files, LDAP, sssd, ...), for the tool's rights and its messages.
#pragma once

#include "tool/rights/OwnerRights.h"

#include <optional>
#include <string>
#include <sys/types.h>

// The name of the user `uid`, or its number when it has none (or the lookup
// fails: the name is only said).
std::string UserName(uid_t uid);
// The name of the group `gid`, or its number when it has none.
std::string GroupName(gid_t gid);
// The user named `name` with its primary group and every group it is in, as
// a login gives them (getgrouplist); nothing when there is none.
std::optional<Account> UserNamed(const std::string& name);
// The same for the user `uid`.
std::optional<Account> AccountOf(uid_t uid);
// A user other than root and `owner` who has the group `gid`, listed as a
// member of it or as the primary group of its account: one who may write
// where that group may. A member whose name has no account counts as such a
// user. Nothing when there is none. The primary groups are seen by listing
// the accounts, which a source may refuse to list in full (sssd does unless
// its `enumerate` is on): its users count only where the group lists them.
//
// UserNamed, AccountOf and OtherMemberOf raise CommandFailure when a lookup
// fails rather than finds nothing: what cannot be known is never taken as
// "no such user" or "no other member".
std::optional<std::string> OtherMemberOf(gid_t gid, uid_t owner);
