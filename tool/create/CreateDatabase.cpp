// CreateDatabase.cpp: a new database's folder built beside its place and
// renamed into it.
//
// Root's part and the owner's are kept apart. Root works only in the folder
// that takes the new one (as a rule root's own, where the owner may not
// write): it makes the temporary folder, gives it to the owner, renames it
// into place or removes it, each step relative to that open folder and to
// the temporary folder open since it was made, so that nothing the owner's
// processes plant meanwhile can redirect it. Whatever is read or written
// inside (the model, the new file) is read and written by a child process
// that has become the owner for good, so root never opens a name that the
// owner controls.
#include "tool/create/CreateDatabase.h"

#include "base/Output.h"
#include "files/DeferTermination.h"
#include "files/OwnedDescriptor.h"
#include "files/PathParts.h"
#include "files/SFile.h"
#include "tool/rights/AccountNames.h"
#include "tool/CommandFailure.h"
#include "tool/database/DatabaseArgument.h"
#include "tool/database/DatabaseKeys.h"
#include "tool/create/DatabaseModel.h"
#include "tool/create/PasswordEntry.h"
#include "tool/create/RandomPassword.h"
#include "tool/database/SettingChange.h"
#include "tool/rights/OwnerRights.h"
#include "tool/rights/UserProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The temporary folder's name beside the new one's: a run that is killed
// (SIGKILL, a power cut) leaves it behind under a name that says what it was.
const std::string TemporaryEnding = ".creating";
const std::string InTheWay = " is in the way: another create of it runs, or one was cut off; remove it if none runs";

struct FolderName {
    std::string shown;   // as given, without slashes at the end
    std::string parent;  // the folder that takes it
    std::string name;    // its last name: the database's name
};

FolderName Split(const std::string& given)
{
    FolderName folder;
    folder.shown = WithoutTrailingSlashes(given);
    const PathParts parts = SplitPath(folder.shown);
    folder.parent = parts.folder;
    folder.name = parts.name;
    if (folder.name.empty() || folder.name == "." || folder.name == "..")
        throw CommandFailure(given + " names no new folder");
    // The name is written into the file and its log lines: one line.
    for (const unsigned char c : folder.name)
        if (c < 0x20 || c == 0x7f)
            throw CommandFailure(given + ": a database's name may hold no control character");
    return folder;
}

// The model's own name: its file's, without ".ini".
std::string ModelName(const std::string& model)
{
    const std::string file = SplitPath(model).name;
    return file.substr(0, file.size() - 4);
}

// The folder that takes the new one, as the path names it (run by root:
// every folder on the way, and this one, root's alone). Opened for reading
// where it may be, so that it can be synced after the rename.
int OpenParent(const std::string& parent)
{
    const OwnedDescriptor found {OpenTrustedFolder(parent, TrustedUpTo::RunnersFolder)};
    int fd = found.Get();
    if (found.Get() >= 0) {
        fd = ::openat(found.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 && errno == EACCES)
            fd = ::fcntl(found.Get(), F_DUPFD_CLOEXEC, 0);
    }
    if (fd >= 0)
        return fd;
    if (errno == ENOENT)
        throw CommandFailure("no folder " + parent);
    if (errno == ENOTDIR)
        throw CommandFailure(parent + " is not a folder");
    throw CommandFailure("cannot open " + parent + ": " + std::strerror(errno));
}

// Refuses a name in `parent` that is taken, by anything (a dangling link too).
void RefuseTaken(int parent, const std::string& name, const std::string& shown, const std::string& taken)
{
    struct stat status {};
    if (::fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        throw CommandFailure(shown + taken);
    if (errno != ENOENT)
        throw CommandFailure("cannot create " + shown + ": " + std::strerror(errno));
}

// Whether the open folder `folder` holds nothing.
bool IsEmpty(int folder)
{
    const int listed = ::dup(folder);
    DIR* entries = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (entries == nullptr) {
        if (listed >= 0)
            ::close(listed);
        return false;
    }
    bool empty = true;
    for (const dirent* entry; empty && (entry = ::readdir(entries)) != nullptr;)
        empty = std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0;
    ::closedir(entries);
    return empty;
}

// Makes the temporary folder, 0700, and gives it to `owner` and its group.
// Returns it open.
int MakeTemporaryFolder(int parent, const std::string& name, const std::string& shown, const Account& owner)
{
    if (::mkdirat(parent, name.c_str(), 0700) != 0) {
        if (errno == EEXIST)
            throw CommandFailure(shown + InTheWay);
        throw CommandFailure("cannot create " + shown + ": " + std::strerror(errno));
    }
    // No call makes a folder and opens it at once, so what is open is what
    // the name held a moment later. Run by root, the parent is root's alone
    // (OpenParent), so no other user can rename anything into the name
    // meanwhile; run by the owner, only the owner's own processes can. The
    // checks below catch what is left (another of root's processes, the
    // owner's own): the folder opened, not followed through a link, must be
    // this process's, on the parent's file system, empty, and still the one
    // under the name once open. What is there otherwise is not this run's
    // to give away or remove.
    const int folder = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status {}, named {}, parentStatus {};
    const bool opened = folder >= 0 && ::fstat(folder, &status) == 0;
    if (opened
        && (::fstat(parent, &parentStatus) != 0 || status.st_dev != parentStatus.st_dev
            || status.st_uid != ::geteuid() || !IsEmpty(folder)
            || ::fstatat(parent, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != status.st_dev
            || named.st_ino != status.st_ino)) {
        ::close(folder);
        throw CommandFailure("cannot create " + shown + ": another folder took its place while it was made; "
                             "it is left as it is");
    }
    // The owner's group also where the parent would pass its own on (a
    // folder with the set-group-ID bit).
    bool given = opened;
    if (given && (status.st_uid != owner.uid || status.st_gid != owner.gid))
        given = ::fchown(folder, owner.uid, owner.gid) == 0;
    given = given && ::fchmod(folder, 0700) == 0;
    if (!given) {
        const int error = errno;
        if (folder >= 0)
            ::close(folder);
        ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
        throw CommandFailure("cannot create " + shown + ": " + std::strerror(error));
    }
    return folder;
}

// Puts the temporary folder in place under `name`, never over anything
// that has the name by now.
void PutInPlace(int parent, const std::string& temporary, const std::string& name, const std::string& shown)
{
    if (::renameat2(parent, temporary.c_str(), parent, name.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno == EINVAL) {
        // A file system that cannot refuse a taken name in a rename: the
        // name is claimed with an empty folder of this process's, which a
        // plain rename replaces.
        if (::mkdirat(parent, name.c_str(), 0700) == 0) {
            if (::renameat(parent, temporary.c_str(), parent, name.c_str()) == 0)
                return;
            const int error = errno;
            ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
            errno = error;
        }
    }
    if (errno == EEXIST || errno == ENOTEMPTY)
        throw CommandFailure(shown + " exists already");
    throw CommandFailure("cannot create " + shown + ": rename: " + std::strerror(errno));
}

// In the owner's process, in the temporary folder: the new file with the
// model's `text`, then the values set as an update sets them, all on disk.
void WriteNewDatabase(int temporary, const DatabaseFile& file, const std::string& text, const std::string& password)
{
    if (::fchdir(temporary) != 0)
        ThrowFileError("File open: ");
    const OwnedDescriptor written {::open(file.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (written.Get() < 0)
        ThrowFileError("File open: ");
    if (::fchmod(written.Get(), 0600) != 0)
        ThrowFileError("File mode: ");
    if (!WriteFully(written.Get(), text))
        ThrowFileError("File write: ");
    if (::fsync(written.Get()) != 0)
        ThrowFileError("File flush: ");

    std::vector<SettingValue> values = {{Setting::AdminPassword, password}, {Setting::RemoteAdmin, "1"}};
    for (const Setting key : DatabasePasswords)
        values.push_back({key, RandomPassword()});
    ChangeSettings(file, values, Predecessor::NotKept);
    if (::fsync(temporary) != 0)
        ThrowFileError("File flush: ");
}

// Removes the temporary folder and what the owner's process made in it.
// Returns what is left behind, to add to the failure's line.
std::string RemoveTemporaryFolder(int parent, int temporary, const std::string& name, const std::string& shown,
                                  const std::string& iniName)
{
    for (const std::string& file : {iniName, iniName + "tmp"})
        ::unlinkat(temporary, file.c_str(), 0);
    if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0)
        return "";
    return "; " + shown + " is left behind (" + std::strerror(errno) + "): remove it";
}

}  // namespace

std::string CreateDatabase(const NewDatabase& order)
{
    const FolderName folder = Split(order.folder);
    // A user who makes their own database needs no account of their own:
    // the process's ids are all it takes.
    const bool runnersOwn = order.owner.empty() && ::geteuid() != 0;
    std::string ownerName = order.owner;
    if (ownerName.empty())
        ownerName = runnersOwn ? UserName(::geteuid()) : WebServerUser;
    const std::optional<Account> found =
        runnersOwn ? Account {::geteuid(), ::getegid(), {}} : UserNamed(ownerName);
    if (!found)
        throw CommandFailure("no user " + ownerName);
    const Account owner = *found;
    if (::geteuid() != 0 && ::geteuid() != owner.uid)
        throw CommandFailure("only root can create a database for another user (" + ownerName + ")");

    const std::string temporaryName = "." + folder.name + TemporaryEnding;
    const std::string shownTemporary = (folder.parent == "." ? "" : folder.parent == "/" ? "/" : folder.parent + "/")
                                       + temporaryName;
    const std::string iniName = folder.name + ".ini";
    const std::string shownIni = folder.shown + "/" + iniName;
    const OwnedDescriptor parent {OpenParent(folder.parent)};
    RefuseTaken(parent.Get(), folder.name, folder.shown, " exists already");
    RefuseTaken(parent.Get(), temporaryName, shownTemporary, InTheWay);

    // Everything that can be refused is, before the password is asked.
    // The owner's processes hold nothing of root's: not the parent folder.
    const std::string model = RunAsUser(owner, "reads the model " + order.model, [&] {
        ::close(parent.Get());
        return ReadModel(order.model);
    });
    const std::string text = CarriedOver(model, ModelName(order.model), folder.name);
    const std::string password = ReadNewPassword();

    // From the temporary folder's making until it is in place or gone, a
    // signal that ends the tool waits.
    CDeferTermination deferred;
    const uid_t runner = ::getuid();  // before the writing process becomes the owner
    const OwnedDescriptor temporary {MakeTemporaryFolder(parent.Get(), temporaryName, shownTemporary, owner)};
    try {
        RunAsUser(owner, "writes it", [&] {
            ::close(parent.Get());
            WriteNewDatabase(temporary.Get(), DatabaseFile {shownIni, iniName, owner, runner}, text, password);
            return std::string();
        });
    } catch (const CommandFailure& failure) {
        throw CommandFailure("cannot create " + folder.shown + ": " + failure.what()
                             + RemoveTemporaryFolder(parent.Get(), temporary.Get(), temporaryName, shownTemporary, iniName));
    }
    try {
        PutInPlace(parent.Get(), temporaryName, folder.name, folder.shown);
    } catch (const CommandFailure& failure) {
        throw CommandFailure(failure.what()
                             + RemoveTemporaryFolder(parent.Get(), temporary.Get(), temporaryName, shownTemporary, iniName));
    }
    if (::fsync(parent.Get()) != 0)
        throw CommandFailure(folder.shown + " was created, but " + folder.parent + " could not be synced (File flush: "
                                 + std::strerror(errno) + "): it may not survive a power cut",
                             ExitUnconfirmed);
    return "created " + shownIni + " for " + ownerName
           + ": administration password set, remote administration on, the database's own passwords random "
             "(see them in the form)\n";
}
