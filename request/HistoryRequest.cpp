// HistoryRequest.cpp: the restore of a kept version from the web.
#include "request/HistoryRequest.h"

#include "admin/ErrorPage.h"
#include "admin/HistoryPages.h"
#include "admin/PageShell.h"
#include "cgi/CgiForm.h"
#include "config/ChangeTransaction.h"
#include "config/VersionHistory.h"
#include "config/ZEPHOnlineINI.h"
#include "request/Admission.h"
#include "request/RequestLog.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

bool IsHistoryAct(const std::string& action)
{
    return strcasecmp(action.c_str(), HistoryAct) == 0 || strcasecmp(action.c_str(), RestoreAct) == 0;
}

void RunRestore(CCgiForm& form, CZEPHOnlineINI& record, const std::string& iniPath)
{
    // A link, a prefetch or a reload of a GET changes nothing.
    const char* method = std::getenv("REQUEST_METHOD");
    if (method == nullptr || std::strcmp(method, "POST") != 0 || !form.HasField(VersionField))
        ShowErrorPage(ErrBadFormData, record);
    // Chosen and read under the file's lock, which every change that adds a
    // version holds.
    const CVersionHistory history(iniPath);
    const HistoryVersion* version = history.Named(form.Field(VersionField));
    if (version == nullptr)
        ShowUnknownVersion(record);
    std::string kept = history.Content(*version);

    // A change like a Configure: the content it replaces kept with the
    // address that replaced it, the file replaced whole or not at all.
    const std::string before = record.Content();
    ChangeTransaction change(record, RemoteAddress());
    record.ReplaceContent(std::move(kept));
    const ChangeOutcome outcome = change.Commit();
    SigninAfterChange(record, iniPath, outcome.changedSettings);
    ShowRestored(record, *version, before, outcome.notKept, outcome.keptVersion);
    // Logged before a termination signal held back meanwhile takes effect.
    LogRequestEvent(RequestEvent::ConfigurationRestored, CurrentDBName,
                    " (version " + ShownVersionTime(version->time) + ")" + ChangeNote(outcome.changedSettings, outcome.notKept));
}
