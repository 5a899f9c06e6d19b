// AccountNames.cpp: users and groups as the C library's account lookups give
// them, from every source the system names for them (the account files,
// LDAP, sssd, ...).
#include "tool/rights/AccountNames.h"

#include "tool/CommandFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <vector>

namespace {

// One lookup into `entry`, its strings in `buffer`, grown until they fit:
// true when found, false when there is no such entry. A lookup that fails
// (a source that cannot be reached) raises CommandFailure naming `what`.
template <typename Entry, typename Call>
bool Found(Entry& entry, std::vector<char>& buffer, const std::string& what, Call call)
{
    if (buffer.empty())
        buffer.resize(1024);
    for (;;) {
        Entry* result = nullptr;
        const int error = call(&entry, buffer.data(), buffer.size(), &result);
        if (error == ERANGE && buffer.size() < (1u << 24)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0)
            throw CommandFailure("cannot look up " + what + ": " + std::strerror(error));
        return result != nullptr;
    }
}

bool UserById(uid_t uid, passwd& user, std::vector<char>& buffer)
{
    return Found(user, buffer, "the user " + std::to_string(uid),
                 [&](passwd* entry, char* text, size_t size, passwd** result) {
                     return ::getpwuid_r(uid, entry, text, size, result);
                 });
}

bool UserByName(const std::string& name, passwd& user, std::vector<char>& buffer)
{
    return Found(user, buffer, "the user " + name, [&](passwd* entry, char* text, size_t size, passwd** result) {
        return ::getpwnam_r(name.c_str(), entry, text, size, result);
    });
}

bool GroupById(gid_t gid, group& found, std::vector<char>& buffer)
{
    return Found(found, buffer, "the group " + std::to_string(gid),
                 [&](group* entry, char* text, size_t size, group** result) {
                     return ::getgrgid_r(gid, entry, text, size, result);
                 });
}

// The account of `user`, with the groups a login gives it: its primary group
// first, then every group that names it as a member.
Account AccountFrom(const passwd& user)
{
    std::vector<gid_t> groups(32);
    for (;;) {
        int count = static_cast<int>(groups.size());
        if (::getgrouplist(user.pw_name, user.pw_gid, groups.data(), &count) >= 0) {
            groups.resize(static_cast<size_t>(count));
            break;
        }
        // Too few places: `count` says how many are needed.
        groups.resize(std::max(static_cast<size_t>(count), groups.size() * 2));
    }
    return Account {user.pw_uid, user.pw_gid, groups};
}

// Whether the user `uid` is neither root nor `owner`.
bool Another(uid_t uid, uid_t owner)
{
    return uid != 0 && uid != owner;
}

}  // namespace

std::string UserName(uid_t uid)
{
    passwd user {};
    std::vector<char> buffer;
    try {
        if (UserById(uid, user, buffer))
            return user.pw_name;
    } catch (const CommandFailure&) {
        // A name for a message: the number says it as well.
    }
    return std::to_string(uid);
}

std::string GroupName(gid_t gid)
{
    group found {};
    std::vector<char> buffer;
    try {
        if (GroupById(gid, found, buffer))
            return found.gr_name;
    } catch (const CommandFailure&) {
    }
    return std::to_string(gid);
}

std::optional<Account> UserNamed(const std::string& name)
{
    passwd user {};
    std::vector<char> buffer;
    if (!UserByName(name, user, buffer))
        return std::nullopt;
    return AccountFrom(user);
}

std::optional<Account> AccountOf(uid_t uid)
{
    passwd user {};
    std::vector<char> buffer;
    if (!UserById(uid, user, buffer))
        return std::nullopt;
    return AccountFrom(user);
}

std::optional<std::string> OtherMemberOf(gid_t gid, uid_t owner)
{
    std::vector<char> buffer(1024);
    group found {};
    if (GroupById(gid, found, buffer)) {
        for (char** member = found.gr_mem; member != nullptr && *member != nullptr; ++member) {
            const std::string name = *member;
            passwd user {};
            std::vector<char> userBuffer;
            // A name the group lists but no account has counts as another.
            if (!name.empty() && (!UserByName(name, user, userBuffer) || Another(user.pw_uid, owner)))
                return name;
        }
    }
    // The accounts whose primary group it is: a group lists none of them.
    std::optional<std::string> other;
    passwd user {};
    ::setpwent();
    for (;;) {
        passwd* result = nullptr;
        const int error = ::getpwent_r(&user, buffer.data(), buffer.size(), &result);
        if (error == ERANGE && buffer.size() < (1u << 24)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error == ENOENT || (error == 0 && result == nullptr))
            break;
        if (error != 0) {
            ::endpwent();
            throw CommandFailure("cannot list the accounts whose group is " + GroupName(gid) + ": "
                                 + std::strerror(error));
        }
        if (user.pw_gid == gid && Another(user.pw_uid, owner)) {
            other = user.pw_name;
            break;
        }
    }
    ::endpwent();
    return other;
}
