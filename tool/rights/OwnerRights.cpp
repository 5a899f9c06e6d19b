// OwnerRights.cpp: opening a folder, becoming its owner, entering it.
#include "tool/rights/OwnerRights.h"

#include "tool/rights/AccountNames.h"
#include "tool/CommandFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>
#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailBecoming(const Account& account, const char* step)
{
    const std::string error = errno != 0 ? std::string(": ") + std::strerror(errno) : std::string();
    throw CommandFailure("cannot take the rights of user " + UserName(account.uid) + ": " + step + error);
}

// Whether the process holds any capability, effective or permitted.
bool HoldsCapabilities()
{
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return true;  // unknown counts as held
    for (const __user_cap_data_struct& word : data)
        if (word.effective != 0 || word.permitted != 0)
            return true;
    return false;
}

}  // namespace

void BecomeUser(const Account& account)
{
    errno = 0;
    if (::setgroups(account.groups.size(), account.groups.data()) != 0)
        FailBecoming(account, "setgroups");
    if (::setresgid(account.gid, account.gid, account.gid) != 0)
        FailBecoming(account, "setresgid");
    if (::setresuid(account.uid, account.uid, account.uid) != 0)
        FailBecoming(account, "setresuid");
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0)
        FailBecoming(account, "prctl");

    // Every id is the account's, for good: nothing leads back to root.
    errno = 0;
    uid_t real, effective, saved;
    gid_t realGroup, effectiveGroup, savedGroup;
    if (::getresuid(&real, &effective, &saved) != 0 || real != account.uid || effective != account.uid
        || saved != account.uid)
        FailBecoming(account, "user ids left over");
    if (::getresgid(&realGroup, &effectiveGroup, &savedGroup) != 0 || realGroup != account.gid
        || effectiveGroup != account.gid || savedGroup != account.gid)
        FailBecoming(account, "group ids left over");
    std::vector<gid_t> groups(account.groups.size() + 1);
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(count < 0 ? 0 : static_cast<size_t>(count));
    std::vector<gid_t> wanted = account.groups;
    std::sort(groups.begin(), groups.end());
    std::sort(wanted.begin(), wanted.end());
    if (count < 0 || groups != wanted)
        FailBecoming(account, "other groups left over");
    errno = 0;
    if (::setuid(0) == 0 || (account.gid != 0 && ::setgid(0) == 0) || HoldsCapabilities())
        FailBecoming(account, "root's rights could be taken back");
}

Account EnterFolderAsOwner(int folder, const std::string& path)
{
    struct stat status {};
    if (::fstat(folder, &status) != 0) {
        const int error = errno;
        ::close(folder);
        throw CommandFailure("cannot open " + path + ": " + std::strerror(error));
    }
    Account owner {status.st_uid, status.st_gid, {}};
    try {
        if (::geteuid() == 0 && owner.uid != 0) {
            // The owner's own groups: the folder's group may be one the
            // owner is not in (root's, of a folder chown'd to the owner alone).
            const std::optional<Account> account = AccountOf(owner.uid);
            if (!account)
                throw CommandFailure(path + " belongs to uid " + std::to_string(owner.uid) + ", which has no account"
                                     ": zephconf-admin would not know its groups");
            owner = *account;
            BecomeUser(owner);
        }
    } catch (...) {
        ::close(folder);
        throw;
    }
    const int entered = ::fchdir(folder);
    const int error = errno;
    ::close(folder);
    if (entered != 0)
        throw CommandFailure("cannot enter " + path + ": " + std::strerror(error));
    return owner;
}
