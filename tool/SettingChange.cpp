// SettingChange.cpp: open, edit, commit keeping the replaced content.
#include "tool/SettingChange.h"

#include "config/DatabaseOpen.h"
#include "config/ZEPHOnlineINI.h"
#include "files/DeferTermination.h"
#include "files/FileReplacement.h"
#include "files/HistoryVersion.h"
#include "tool/CommandFailure.h"
#include "tool/DatabaseArgument.h"

#include <cerrno>

SettingChange ChangeDatabase(const DatabaseFile& file, const std::function<void(CZEPHOnlineINI&)>& edit)
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
        edit(record);
        change.settingChanged = record.Content() != before;
        record.KeepHistory("shell tool uid " + std::to_string(file.user));
        try {
            record.Commit();
        } catch (const FolderSyncFailure& failure) {
            throw CommandFailure("the change is in " + file.shown + ", but its folder could not be synced ("
                                     + failure.what() + "): it may not survive a power cut",
                                 ExitUnconfirmed);
        }
        change.notKept = record.HistoryNotKept();
    });
    return change;
}

SettingChange ChangeSetting(const DatabaseFile& file, const char* section, const char* key,
                            const std::string& value)
{
    return ChangeDatabase(file, [&](CZEPHOnlineINI& record) { record.WriteValue(section, key, value.c_str()); });
}

std::string NotKeptNote(const SettingChange& change)
{
    return change.notKept.empty() ? std::string() : NotKeptSuffix(change.notKept);
}
