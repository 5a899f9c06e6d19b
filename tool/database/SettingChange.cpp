// SettingChange.cpp: the tool's change: open, edit and commit through the
// change transaction, its failures named for the tool.
#include "tool/database/SettingChange.h"

#include "config/ChangeTransaction.h"
#include "config/DatabaseOpen.h"
#include "config/ZEPHOnlineINI.h"
#include "files/FileReplacement.h"
#include "files/HistoryVersion.h"
#include "tool/CommandFailure.h"
#include "tool/database/DatabaseArgument.h"

#include <cerrno>

SettingChange ChangeDatabase(const DatabaseFile& file, const std::function<void(CZEPHOnlineINI&)>& edit,
                             Predecessor predecessor)
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
        ChangeTransaction transaction = predecessor == Predecessor::Kept
            ? ChangeTransaction(record, "shell tool uid " + std::to_string(file.user))
            : ChangeTransaction(record, ChangeTransaction::NoVersion);
        edit(record);
        try {
            const ChangeOutcome outcome = transaction.Commit();
            change.settingChanged = outcome.changed;
            change.notKept = outcome.notKept;
        } catch (const FolderSyncFailure& failure) {
            throw CommandFailure("the change is in " + file.shown + ", but its folder could not be synced ("
                                     + failure.what() + "): it may not survive a power cut",
                                 ExitUnconfirmed);
        }
    });
    return change;
}

SettingChange ChangeSettings(const DatabaseFile& file, const std::vector<SettingValue>& values,
                             Predecessor predecessor)
{
    return ChangeDatabase(file, [&](CZEPHOnlineINI& record) {
        for (const SettingValue& each : values)
            record.WriteSetting(each.setting, each.value);
    }, predecessor);
}

std::string NotKeptNote(const SettingChange& change)
{
    return change.notKept.empty() ? std::string() : NotKeptSuffix(change.notKept);
}
