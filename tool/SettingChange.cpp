// SettingChange.cpp: open, write the keys, commit.
#include "tool/SettingChange.h"

#include "config/DatabaseOpen.h"
#include "config/ZEPHOnlineINI.h"
#include "files/DeferTermination.h"
#include "files/FileReplacement.h"
#include "tool/CommandFailure.h"
#include "tool/DatabaseArgument.h"

#include <cerrno>

SettingChange ChangeSettings(const DatabaseFile& file, const std::vector<SettingValue>& values)
{
    SettingChange change;
    CZEPHOnlineINI record;
    NamingFileErrors(file, [&] {
        switch (OpenAndLoadDatabase(record, file.name, CZEPHOnlineINI::Load::AllSettings, &change.lineEndsRewritten)) {
        case DatabaseOpen::Loaded:
            break;
        case DatabaseOpen::NotPresent:
            throw OpenFailure(file, errno);
        case DatabaseOpen::NoTemporaryFile:
            throw CommandFailure("cannot create the temporary file " + file.shown + "tmp");
        }
        CDeferTermination deferred;
        const std::string before = record.Content();
        for (const SettingValue& each : values)
            record.WriteValue(each.setting.section, each.setting.key, each.value.c_str());
        change.settingChanged = record.Content() != before;
        try {
            record.Commit();
        } catch (const FolderSyncFailure& failure) {
            throw CommandFailure("the change is in " + file.shown + ", but its folder could not be synced ("
                                     + failure.what() + "): it may not survive a power cut",
                                 ExitUnconfirmed);
        }
    });
    return change;
}
