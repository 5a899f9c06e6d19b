// Status.cpp: the administration settings of a database, put in words.
#include "tool/database/Status.h"

#include "config/ZEPHOnlineINI.h"
#include "tool/CommandFailure.h"
#include "tool/database/DatabaseArgument.h"
#include "tool/database/DatabaseKeys.h"

#include <cerrno>
#include <iterator>

std::string StatusText(const DatabaseFile& file)
{
    CZEPHOnlineINI record;
    std::string emptyPasswords;
    int empty = 0;
    NamingFileErrors(file, [&] {
        if (!record.OpenFile(file.name.c_str(), OpenRead | OpenShared | OpenWaitForLock))
            throw OpenFailure(file, errno);
        record.LoadSettings();
        // As the file holds them: a missing key is an empty password.
        for (const Setting password : DatabasePasswords) {
            std::string value;
            record.ReadSetting(password, value);
            if (value.empty()) {
                emptyPasswords += std::string(empty++ == 0 ? " (" : ", ") + RowOf(password).key;
            }
        }
    });
    if (empty > 0)
        emptyPasswords += ")";
    // Slot 0 is the built-in item, no entry item of the database's.
    return "file: " + file.shown + "\n" + "entry items: " + std::to_string(record.itemCount - 1) + "\n"
           + "remote administration: " + (record.remoteAdmin ? "on" : "off") + "\n"
           + "administration password: " + (record.adminPassword.empty() ? "not set" : "set") + "\n"
           + "empty database passwords: " + std::to_string(empty) + " of " + std::to_string(std::size(DatabasePasswords))
           + emptyPasswords + "\n";
}
