// Status.cpp: the administration settings of a database, printed.
#include "tool/Status.h"

#include "config/ZEPHOnlineINI.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <cstdio>
#include <stdexcept>

void ShowStatus(const std::string& iniPath)
{
    CZEPHOnlineINI record;
    try {
        if (!record.OpenFile(iniPath.c_str(), OpenRead | OpenShared | OpenWaitForLock))
            throw OpenFailure(iniPath, errno);
        record.LoadSettings();
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::runtime_error& fileError) {
        throw CommandFailure(iniPath + ": " + fileError.what());
    }
    // Slot 0 is the built-in item, no entry item of the database's.
    std::printf("file: %s\n", iniPath.c_str());
    std::printf("entry items: %d\n", record.itemCount - 1);
    std::printf("remote administration: %s\n", record.remoteAdmin ? "on" : "off");
    std::printf("administration password: %s\n", record.adminPassword.empty() ? "not set" : "set");
}
