// SettingChange.cpp: open, write one key, commit.
#include "tool/SettingChange.h"

#include "config/DatabaseOpen.h"
#include "config/ZEPHOnlineINI.h"
#include "files/DeferTermination.h"
#include "tool/CommandFailure.h"

#include <cerrno>
#include <stdexcept>

bool ChangeSetting(const std::string& iniPath, const char* section, const char* key,
                   const std::string& value)
{
    CZEPHOnlineINI record;
    try {
        switch (OpenAndLoadDatabase(record, iniPath)) {
        case DatabaseOpen::Loaded:
            break;
        case DatabaseOpen::NotPresent:
            throw OpenFailure(iniPath, errno);
        case DatabaseOpen::NoTemporaryFile:
            throw CommandFailure("cannot create the temporary file " + iniPath + "tmp");
        }
        CDeferTermination deferred;
        const std::string before = record.Content();
        record.WriteValue(section, key, value.c_str());
        const bool changed = record.Content() != before;
        record.Commit();
        return changed;
    } catch (const CommandFailure&) {
        throw;
    } catch (const std::runtime_error& fileError) {
        throw CommandFailure(iniPath + ": " + fileError.what());
    }
}
