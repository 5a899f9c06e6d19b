// Status.cpp: the administration settings of a database, put in words.
#include "tool/Status.h"

#include "config/ZEPHOnlineINI.h"
#include "tool/CommandFailure.h"
#include "tool/DatabaseArgument.h"

#include <cerrno>

std::string StatusText(const DatabaseFile& file)
{
    CZEPHOnlineINI record;
    NamingFileErrors(file, [&] {
        if (!record.OpenFile(file.name.c_str(), OpenRead | OpenShared | OpenWaitForLock))
            throw OpenFailure(file, errno);
        record.LoadSettings();
    });
    // Slot 0 is the built-in item, no entry item of the database's.
    return "file: " + file.shown + "\n" + "entry items: " + std::to_string(record.itemCount - 1) + "\n"
           + "remote administration: " + (record.remoteAdmin ? "on" : "off") + "\n"
           + "administration password: " + (record.adminPassword.empty() ? "not set" : "set") + "\n";
}
