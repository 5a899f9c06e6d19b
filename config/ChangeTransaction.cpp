// ChangeTransaction.cpp: keep, replace, confirm; the version dropped when
// the change needs its room.
#include "config/ChangeTransaction.h"

#include "config/ChangedSettings.h"
#include "config/SettingTable.h"
#include "config/ZEPHOnlineINI.h"
#include "files/FileReplacement.h"
#include "files/HistoryVersion.h"
#include "files/SigninKey.h"

#include <algorithm>
#include <cerrno>
#include <optional>

namespace {

bool NoRoom(const FileError& failure)
{
    return failure.Error() == ENOSPC || failure.Error() == EDQUOT;
}

}  // namespace

ChangeTransaction::ChangeTransaction(CZEPHOnlineINI& record, std::string who)
    : record(record), keepVersion(true), who(std::move(who))
{
}

ChangeTransaction::ChangeTransaction(CZEPHOnlineINI& record, NoVersionTag) : record(record), keepVersion(false) {}

ChangeOutcome ChangeTransaction::Commit()
{
    ChangeOutcome outcome;
    if (!record.Changed())
        return outcome;
    const CIniFile::PendingContent file = record.Pending();

    std::optional<CKeptVersion> version;
    if (keepVersion)
        version.emplace(file.descriptor, file.path, file.old, file.content, who);
    try {
        PutContent(file.descriptor, file.path, file.old, file.content, version ? &*version : nullptr);
    } catch (const FolderSyncFailure&) {
        throw;
    } catch (const FileError& failure) {
        // The file is as it was; without the version the change may fit.
        if (!version || !version->Made() || !NoRoom(failure))
            throw;
        version->Drop(failure.Error());
        PutContent(file.descriptor, file.path, file.old, file.content);
    }
    if (version) {
        version->Confirm();
        outcome.notKept = version->NotKept();
        if (outcome.notKept.empty())
            outcome.keptVersion = version->Name();
    }
    outcome.changedSettings = ChangedSettingSummary(file.old, file.content);
    // A failure leaves sign-ins that the switch should have ended: it is not
    // the change's, which is made, and the web pages refuse everyone anyway
    // while the switch is off.
    const std::string remoteSwitch = ChangedSettingName(Setting::RemoteAdmin);
    if (std::find(outcome.changedSettings.begin(), outcome.changedSettings.end(), remoteSwitch)
        != outcome.changedSettings.end())
        RemoveSigninKey(file.path);
    record.Committed();
    outcome.changed = true;
    return outcome;
}
