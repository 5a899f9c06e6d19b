// FileAttributes.cpp: owner, group, mode and extended attributes copied from
// one open file to another.
#include "files/FileAttributes.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

// The names of the file's extended attributes, each ended by a NUL; empty
// when it has none or its file system holds none. False when the list cannot
// be read.
bool AttributeNames(int descriptor, std::string& names)
{
    for (;;) {
        const ssize_t size = ::flistxattr(descriptor, nullptr, 0);
        if (size < 0) {
            names.clear();
            return errno == ENOTSUP;
        }
        names.resize(static_cast<size_t>(size));
        const ssize_t got = ::flistxattr(descriptor, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<size_t>(got));
            return true;
        }
        if (errno != ERANGE)  // ERANGE: the list grew meanwhile
            return false;
    }
}

std::vector<std::string> Split(const std::string& names)
{
    std::vector<std::string> list;
    for (size_t start = 0; start < names.size();) {
        const size_t end = names.find('\0', start);
        list.emplace_back(names, start, end - start);
        start = end + 1;
    }
    return list;
}

bool AttributeValue(int descriptor, const std::string& name, std::string& value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(descriptor, name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(static_cast<size_t>(size));
        const ssize_t got = ::fgetxattr(descriptor, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& other : names)
        if (other == name)
            return true;
    return false;
}

// An attribute the new file already has with the same value (a security
// label its folder gave it) is not set again: that may need privileges.
bool CopyAttribute(int original, int copy, bool copyHasIt, const std::string& name)
{
    std::string value, present;
    if (!AttributeValue(original, name, value))
        return false;
    if (copyHasIt && AttributeValue(copy, name, present) && present == value)
        return true;
    return ::fsetxattr(copy, name.c_str(), value.data(), value.size(), 0) == 0;
}

}  // namespace

bool CopyAttributes(int original, const struct stat& originalStatus, int copy, const struct stat& copyStatus)
{
    // Owner and group first: a change of owner clears the set-id bits and
    // file capabilities, which the mode and the attributes then give back.
    if ((copyStatus.st_uid != originalStatus.st_uid || copyStatus.st_gid != originalStatus.st_gid)
        && ::fchown(copy, originalStatus.st_uid, originalStatus.st_gid) != 0)
        return false;

    std::string originalNames, copyNames;
    if (!AttributeNames(original, originalNames) || !AttributeNames(copy, copyNames))
        return false;
    const std::vector<std::string> wanted = Split(originalNames);
    const std::vector<std::string> present = Split(copyNames);
    // A default ACL of the folder gives a new file an ACL of its own.
    for (const std::string& name : present)
        if (!Contains(wanted, name) && ::fremovexattr(copy, name.c_str()) != 0)
            return false;
    for (const std::string& name : wanted)
        if (!CopyAttribute(original, copy, Contains(present, name), name))
            return false;

    // Last: an access ACL and the group bits of the mode are one setting,
    // and the original's mode agrees with its ACL.
    return ::fchmod(copy, originalStatus.st_mode & 07777) == 0;
}
