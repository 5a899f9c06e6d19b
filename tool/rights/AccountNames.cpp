// AccountNames.cpp: users and groups read from the account files.
//
// The files are read directly: the C library's lookups in a statically linked
// program would need its shared libraries at run time.
#include "tool/rights/AccountNames.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The first `count` colon-separated fields of every line of `file`, each
// line's fields handed to `take` until it returns true.
template <size_t count, typename Take>
void ForEachLine(const char* file, Take take)
{
    std::ifstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string field[count];
        for (std::string& each : field)
            std::getline(fields, each, ':');
        if (take(field))
            return;
    }
}

// A decimal id, the whole field; false for anything else.
bool Id(const std::string& field, unsigned long& id)
{
    char* end = nullptr;
    id = std::strtoul(field.c_str(), &end, 10);
    return !field.empty() && field.find_first_not_of("0123456789") == std::string::npos && *end == '\0';
}

// The name of the line of `file` whose third field is `id`
// ("name:password:id:..."), or the number.
std::string NameOf(const char* file, unsigned long id)
{
    std::string name = std::to_string(id);
    ForEachLine<3>(file, [&](const std::string* field) {
        unsigned long lineId;
        if (field[0].empty() || !Id(field[2], lineId) || lineId != id)
            return false;
        name = field[0];
        return true;
    });
    return name;
}

// The account whose /etc/passwd line `matches`, with its groups: the primary
// one first, then every group of /etc/group that lists its name, as
// initgroups gives them to a login.
template <typename Matches>
std::optional<Account> AccountWhere(Matches matches)
{
    std::optional<Account> found;
    std::string name;
    ForEachLine<4>("/etc/passwd", [&](const std::string* field) {
        unsigned long uid, gid;
        if (field[0].empty() || !Id(field[2], uid) || !Id(field[3], gid) || !matches(field[0], uid))
            return false;
        name = field[0];
        found = Account {static_cast<uid_t>(uid), static_cast<gid_t>(gid), {static_cast<gid_t>(gid)}};
        return true;
    });
    if (!found)
        return found;
    ForEachLine<4>("/etc/group", [&](const std::string* field) {
        unsigned long gid;
        if (!Id(field[2], gid))
            return false;
        std::istringstream members(field[3]);
        for (std::string member; std::getline(members, member, ',');) {
            std::vector<gid_t>& groups = found->groups;
            if (member == name && std::find(groups.begin(), groups.end(), gid) == groups.end())
                groups.push_back(static_cast<gid_t>(gid));
        }
        return false;
    });
    return found;
}

}  // namespace

std::string UserName(uid_t uid)
{
    return NameOf("/etc/passwd", uid);
}

std::string GroupName(gid_t gid)
{
    return NameOf("/etc/group", gid);
}

std::optional<Account> UserNamed(const std::string& name)
{
    return AccountWhere([&](const std::string& lineName, unsigned long) { return lineName == name; });
}

std::optional<Account> AccountOf(uid_t uid)
{
    return AccountWhere([&](const std::string&, unsigned long lineUid) { return lineUid == uid; });
}

std::optional<std::string> OtherMemberOf(gid_t gid, uid_t owner)
{
    std::optional<std::string> other;
    std::vector<std::string> listed;
    ForEachLine<4>("/etc/group", [&](const std::string* field) {
        unsigned long lineGid;
        if (!Id(field[2], lineGid) || lineGid != gid)
            return false;
        std::istringstream members(field[3]);
        for (std::string member; std::getline(members, member, ',');)
            if (!member.empty())
                listed.push_back(member);
        return false;
    });
    ForEachLine<4>("/etc/passwd", [&](const std::string* field) {
        unsigned long uid, lineGid;
        if (field[0].empty() || !Id(field[2], uid) || !Id(field[3], lineGid))
            return false;
        const auto named = std::remove(listed.begin(), listed.end(), field[0]);
        const bool member = lineGid == gid || named != listed.end();
        listed.erase(named, listed.end());
        if (member && uid != 0 && uid != owner)
            other = field[0];
        return other.has_value();
    });
    // A name that /etc/group lists but no account has counts as another.
    if (!other && !listed.empty())
        other = listed.front();
    return other;
}
