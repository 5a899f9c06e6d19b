// TrustedPath.cpp: a walk from "/" that checks each folder before it looks
// up the next name in it.
#include "tool/rights/TrustedPath.h"

#include "base/EscapedText.h"
#include "files/OwnedDescriptor.h"
#include "files/PathParts.h"
#include "tool/CommandFailure.h"
#include "tool/rights/AccountNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The links followed on one walk before it gives up, as the kernel does.
constexpr int LinkLimit = 40;

// The names of `path`, "" and "." left out, in order, put in front of `names`.
void PushNames(const std::string& path, std::deque<std::string>& names)
{
    std::deque<std::string> added;
    for (size_t start = 0; start <= path.size();) {
        const size_t slash = std::min(path.find('/', start), path.size());
        const std::string name = path.substr(start, slash - start);
        if (!name.empty() && name != ".")
            added.push_back(name);
        start = slash + 1;
    }
    names.insert(names.begin(), added.begin(), added.end());
}

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Whether the walk trusts what `uid` owns: root's, and what the user who
// runs the tool owns (nothing more when that is root).
bool Trusted(uid_t uid)
{
    return uid == 0 || uid == ::geteuid();
}

[[noreturn]] void Refuse(const std::string& path, const std::string& why)
{
    const uid_t runner = ::geteuid();
    throw CommandFailure("refused: " + EscapedText(path, TextKept::Utf8) + " " + why + " (run by "
                         + (runner == 0 ? std::string("root") : EscapedText(UserName(runner), TextKept::Utf8))
                         + ", zephconf-admin trusts no path that another user can change)");
}

// The write bits of the folder `folder` that let a user the walk does not
// trust change it. A user's run takes a group that holds no one but that
// user (and root), as a user's own group does, for that user; root's run
// takes no group for root.
mode_t OthersWriting(const struct stat& folder)
{
    mode_t bits = folder.st_mode & (S_IWGRP | S_IWOTH);
    if ((bits & S_IWGRP) != 0 && ::geteuid() != 0 && !OtherMemberOf(folder.st_gid, ::geteuid()))
        bits &= ~S_IWGRP;
    return bits;
}

// Who else may write to `folder`, whose bits are `bits` (OthersWriting).
std::string Writers(const struct stat& folder, mode_t bits)
{
    if ((bits & S_IWOTH) != 0)
        return "everyone";
    std::string writers = "group " + GroupName(folder.st_gid);
    if (::geteuid() != 0)
        if (const std::optional<std::string> other = OtherMemberOf(folder.st_gid, ::geteuid()))
            writers += ", which " + EscapedText(*other, TextKept::Utf8) + " is in";
    return writers;
}

// Refuses the folder `shown` (its status `folder`) unless no other user can
// change what its entry `next` (named `nextShown`) is; nullptr: a name that
// the tool is to make.
void RefuseUntrusted(const struct stat& folder, const std::string& shown, const struct stat* next,
                     const std::string& nextShown = "")
{
    if (!Trusted(folder.st_uid))
        Refuse(shown, "belongs to " + UserName(folder.st_uid));
    const mode_t bits = OthersWriting(folder);
    if (bits == 0)
        return;
    // Sticky: only root, or the owner of an entry, may rename or remove it.
    const bool sticky = (folder.st_mode & S_ISVTX) != 0;
    if (sticky && next != nullptr && Trusted(next->st_uid))
        return;
    if (sticky && next != nullptr)
        Refuse(shown, "is writable by " + Writers(folder, bits) + ", and " + EscapedText(nextShown, TextKept::Utf8)
                          + " in it belongs to " + UserName(next->st_uid));
    Refuse(shown, "is writable by " + Writers(folder, bits));
}

// Refuses the database folder `shown` (its status `folder`) of a user other
// than root, as whom the tool acts there, when a user's run does not own it,
// or when any user but its owner may write to it: that user could put a
// link at a name there and steer the owner's rights onto the owner's other
// files.
void RefuseOthersWriting(const struct stat& folder, const std::string& shown)
{
    const std::string owner = UserName(folder.st_uid);
    if (::geteuid() != 0 && folder.st_uid != ::geteuid())
        Refuse(shown, "belongs to " + owner);
    if ((folder.st_mode & S_IWOTH) != 0)
        Refuse(shown, "belongs to " + owner + " but is writable by everyone");
    if ((folder.st_mode & S_IWGRP) == 0)
        return;
    if (const std::optional<std::string> other = OtherMemberOf(folder.st_gid, folder.st_uid))
        Refuse(shown, "belongs to " + owner + " but is writable by group " + GroupName(folder.st_gid) + ", which "
                          + EscapedText(*other, TextKept::Utf8) + " is in");
}

}  // namespace

int OpenTrustedFolder(const std::string& path, TrustedUpTo upTo, std::string* walked)
{
    std::deque<std::string> names;
    PushNames(path, names);
    if (path.empty() || path[0] != '/') {
        char working[PATH_MAX];
        if (::getcwd(working, sizeof working) == nullptr)
            return -1;
        PushNames(working, names);
    }
    OwnedDescriptor current(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (current.Get() < 0)
        return -1;
    std::string shown = "/";
    int links = 0;
    while (!names.empty()) {
        const std::string name = names.front();
        names.pop_front();
        if (name == "..") {
            // The folder above, which the walk passed on its way down (a
            // link's target is walked from "/" or from the link's folder).
            current.Reset(::openat(current.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (current.Get() < 0)
                return -1;
            const size_t slash = shown.rfind('/');
            shown = slash == 0 ? "/" : shown.substr(0, slash);
            continue;
        }
        struct stat folder {}, entry {};
        if (::fstat(current.Get(), &folder) != 0
            || ::fstatat(current.Get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
            return -1;
        const std::string entryShown = Joined(shown, name);
        RefuseUntrusted(folder, shown, &entry, entryShown);
        if (S_ISLNK(entry.st_mode)) {
            if (!Trusted(entry.st_uid))
                Refuse(entryShown, "is a symbolic link of " + UserName(entry.st_uid));
            if (++links > LinkLimit) {
                errno = ELOOP;
                return -1;
            }
            char target[PATH_MAX];
            const ssize_t length = ::readlinkat(current.Get(), name.c_str(), target, sizeof target);
            if (length < 0 || static_cast<size_t>(length) == sizeof target) {
                errno = length < 0 ? errno : ENAMETOOLONG;
                return -1;
            }
            const std::string to(target, static_cast<size_t>(length));
            PushNames(to, names);
            if (!to.empty() && to[0] == '/') {
                current.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (current.Get() < 0)
                    return -1;
                shown = "/";
            }
            continue;
        }
        if (!S_ISDIR(entry.st_mode)) {
            errno = ENOTDIR;
            return -1;
        }
        current.Reset(::openat(current.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened {};
        if (current.Get() < 0 || ::fstat(current.Get(), &opened) != 0)
            return -1;
        // The folder checked is the folder entered (root's folders on the
        // way cannot change, but a sticky one's entries of root's could be
        // renamed by root meanwhile).
        if (opened.st_dev != entry.st_dev || opened.st_ino != entry.st_ino)
            Refuse(entryShown, "changed while it was checked");
        shown = entryShown;
    }
    struct stat folder {};
    if (::fstat(current.Get(), &folder) != 0)
        return -1;
    if (upTo == TrustedUpTo::RunnersFolder || folder.st_uid == 0)
        RefuseUntrusted(folder, shown, nullptr);
    else
        RefuseOthersWriting(folder, shown);
    if (walked != nullptr)
        *walked = shown;
    return current.Release();
}

void RefuseUntrustedLinkAt(const std::string& name)
{
    char working[PATH_MAX];
    if (::getcwd(working, sizeof working) == nullptr)
        return;
    std::string folder = working;
    std::string file = name;
    for (int links = 0; links <= LinkLimit; ++links) {
        struct stat entry {};
        if (::lstat(Joined(folder, file).c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode))
            return;
        const std::string shown = Joined(folder, file);
        if (!Trusted(entry.st_uid))
            Refuse(shown, "is a symbolic link of " + UserName(entry.st_uid));
        char target[PATH_MAX];
        const ssize_t length = ::readlink(shown.c_str(), target, sizeof target);
        if (length < 0 || static_cast<size_t>(length) == sizeof target)
            return;
        const std::string to(target, static_cast<size_t>(length));
        const PathParts parts = SplitPath(!to.empty() && to[0] == '/' ? to : Joined(folder, to));
        // A link to a folder's own name ("..", "x/"): no file, nothing to walk.
        if (parts.name.empty() || parts.name == "." || parts.name == "..")
            return;
        const OwnedDescriptor next(OpenTrustedFolder(parts.folder, TrustedUpTo::RunnersFolder, &folder));
        if (next.Get() < 0)
            return;
        file = parts.name;
    }
}
