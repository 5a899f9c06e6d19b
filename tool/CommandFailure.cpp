// CommandFailure.cpp: the texts of a database file that did not open or
// failed on the way.
#include "tool/CommandFailure.h"

#include "tool/rights/AccountNames.h"
#include "tool/database/DatabaseArgument.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

CommandFailure OpenFailure(const std::string& path, int error)
{
    switch (error) {
    case ENOENT:
        return CommandFailure("no database file " + path);
    case EWOULDBLOCK:
        return CommandFailure(path + " is held by another process; try again");
    case EISDIR:
    case ENXIO:
        return CommandFailure(path + " is not a regular file");
    default:
        return CommandFailure("cannot open " + path + ": " + std::strerror(error));
    }
}

CommandFailure OpenFailure(const DatabaseFile& file, int error)
{
    struct stat status {};
    const Account& owner = file.folderOwner;
    if ((error == EACCES || error == EPERM) && ::geteuid() == owner.uid
        && ::lstat(file.name.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid != owner.uid) {
        const std::string folderUser = UserName(owner.uid);
        return CommandFailure("cannot open " + file.shown + ": it belongs to " + UserName(status.st_uid)
                              + ", but its folder to " + folderUser + ", as whom zephconf-admin acts; mend it with: chown "
                              + folderUser + ":" + GroupName(owner.gid) + " " + file.shown);
    }
    return OpenFailure(file.shown, error);
}

void NamingFileErrors(const DatabaseFile& file, const std::function<void()>& work)
{
    try {
        work();
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::runtime_error& fileError) {
        throw CommandFailure(file.shown + ": " + fileError.what());
    }
}
