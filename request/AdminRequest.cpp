// AdminRequest.cpp: the administration request: open, normalise and load the
// database's initialisation file, check the request, run its action.
#include "request/AdminRequest.h"

#include "admin/AdminForm.h"
#include "admin/ConfigurationUpdate.h"
#include "admin/ErrorPage.h"
#include "admin/HistoryPages.h"
#include "admin/PageShell.h"
#include "cgi/CgiForm.h"
#include "base/Output.h"
#include "config/ChangeTransaction.h"
#include "config/DatabaseOpen.h"
#include "config/ZEPHOnlineINI.h"
#include "files/SigninKey.h"
#include "request/HistoryRequest.h"
#include "request/Admission.h"
#include "request/RequestLog.h"

#include <strings.h>

namespace {

// A database name names a folder beside the program, never a path elsewhere.
bool IsDatabaseName(const std::string& name)
{
    return name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
}

std::string AdminUrlFor(const CZEPHOnlineINI& record, const std::string& programFileName)
{
    if (!record.confExeUrl.empty())
        return record.confExeUrl;
    size_t slash = record.exeUrl.rfind('/');
    std::string base = slash == std::string::npos ? std::string() : record.exeUrl.substr(0, slash + 1);
    return base + programFileName;
}

}  // namespace

std::string IniPathFor(const std::string& programDir, const std::string& dbName)
{
    return programDir + dbName + "/" + dbName + ".ini";
}

void RunAdminRequest(CCgiForm& form, const std::optional<std::string>& action, const ProgramLocation& program)
{
    CZEPHOnlineINI record;

    if (!IsDatabaseName(CurrentDBName))
        ShowErrorPage(ErrNoIniFile, record);
    // Only what the page shows or the update needs is loaded (see
    // CZEPHOnlineINI::Load).
    // The history's pages show no setting of the record but those of the
    // checks and the error page.
    const bool update = action && strcasecmp(action->c_str(), "Configure") == 0;
    const bool history = action && IsHistoryAct(*action);
    const std::string iniPath = IniPathFor(program.dir, CurrentDBName);
    switch (OpenAndLoadDatabase(record, iniPath,
                                update || history ? CZEPHOnlineINI::Load::WithoutItems
                                                  : CZEPHOnlineINI::Load::WithoutNamedItems)) {
    case DatabaseOpen::Loaded:
        break;
    case DatabaseOpen::NotPresent:
        ShowErrorPage(ErrNoIniFile, record);
    case DatabaseOpen::NoTemporaryFile:
        EmitTemporaryFileHeading();
        ExitRequest(1);
    }
    AdminURL = AdminUrlFor(record, program.fileName);

    if (!action)
        ShowErrorPage(ErrBadFormData, record);

    // Remote administration is the only way in: with it off, everyone is
    // refused, and no sign-in given before outlasts it, even where the file
    // was edited by hand.
    if (!record.remoteAdmin) {
        RemoveSigninKey(iniPath);
        ShowErrorPage(ErrNoRemoteAdmin, record);
    }
    // A sign-in that is forged, altered, ended or another database's is
    // refused and logged as a wrong password is.
    if (!Admitted(form, record, iniPath, history)) {
        LogRequestEvent(RequestEvent::AuthenticationFailure, CurrentDBName);
        ShowErrorPage(ErrBadPassword, record);
    }

    if (strcasecmp(action->c_str(), "entrance") == 0)
        ShowAdminForm(record);
    else if (update) {
        // The form is written into the content, then the file gets all of it
        // in one step, the content it replaces kept with the address that
        // replaced it. A refused form or a file error never returns here.
        ChangeTransaction change(record, RemoteAddress());
        const Confirmation confirmation = WriteConfiguration(form, record);
        const ChangeOutcome outcome = change.Commit();
        ShowConfirmation(confirmation);
        // Then the way to undo it, signed in, unless it locked the web out.
        SigninAfterChange(record, iniPath, outcome.changedSettings);
        if (record.remoteAdmin)
            EmitUndoForm(outcome.keptVersion, "Undo this save");
        // An update made is logged, with what it changed, before a
        // termination signal held back meanwhile takes effect.
        LogRequestEvent(RequestEvent::ConfigurationUpdated, CurrentDBName,
                        ChangeNote(outcome.changedSettings, outcome.notKept));
    } else if (strcasecmp(action->c_str(), HistoryAct) == 0)
        ShowHistory(form, record, iniPath);
    else if (strcasecmp(action->c_str(), RestoreAct) == 0)
        RunRestore(form, record, iniPath);
}
