// AccountNames.cpp: user and group names read from the account files.
//
// The files are read directly: the C library's lookups in a statically linked
// program would need its shared libraries at run time.
#include "tool/rights/AccountNames.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// The first field of the line of `file` whose third field is `id`
// ("name:password:id:..."), or the number.
std::string NameOf(const char* file, unsigned long id)
{
    const std::string number = std::to_string(id);
    std::ifstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find(':');
        const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos || first == 0)
            continue;
        if (line.compare(second + 1, number.size() + 1, number + ":") == 0)
            return line.substr(0, first);
    }
    return number;
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
    std::ifstream lines("/etc/passwd");
    for (std::string line; std::getline(lines, line);) {
        // name:password:uid:gid:...
        std::istringstream fields(line);
        std::string field[4];
        for (std::string& each : field)
            std::getline(fields, each, ':');
        if (field[0] != name || name.empty())
            continue;
        char* uidEnd = nullptr;
        char* gidEnd = nullptr;
        const unsigned long uid = std::strtoul(field[2].c_str(), &uidEnd, 10);
        const unsigned long gid = std::strtoul(field[3].c_str(), &gidEnd, 10);
        if (field[2].empty() || field[3].empty() || *uidEnd != '\0' || *gidEnd != '\0')
            return std::nullopt;
        return Account {static_cast<uid_t>(uid), static_cast<gid_t>(gid)};
    }
    return std::nullopt;
}
