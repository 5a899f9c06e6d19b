// AdminRequest.cpp: the administration request: open, normalise and load the
// database's initialisation file, check the request, run its action.
#include "request/AdminRequest.h"

#include "admin/AdminForm.h"
#include "admin/ConfigurationUpdate.h"
#include "admin/ErrorPage.h"
#include "admin/PageShell.h"
#include "cgi/CgiForm.h"
#include "cgi/Output.h"
#include "config/ZEPHOnlineINI.h"
#include "files/LineEndings.h"
#include "request/AuthenticationLog.h"
#include "request/DeferTermination.h"
#include "request/PasswordCheck.h"

#include <strings.h>

namespace {

// OpenRead plus a bit that has no effect on opening; the file is read once
// for its line ends and then opened again for reading and writing. Both opens
// wait a moment for another request that holds the file.
constexpr int FirstOpenMode = 0x81 | OpenWaitForLock;
constexpr int SecondOpenMode = OpenReadWrite | OpenWaitForLock;

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

void RunAdminRequest(CCgiForm& form, const std::string& iniPath, const std::string& programFileName)
{
    CZEPHOnlineINI record;

    if (!IsDatabaseName(CurrentDBName))
        ShowErrorPage(ErrNoIniFile, record);
    if (!record.OpenFile(iniPath.c_str(), FirstOpenMode))
        ShowErrorPage(ErrNoIniFile, record);
    bool normalised;
    {
        // A web server's SIGTERM waits until the rewrite is complete or undone.
        CDeferTermination deferred;
        normalised = NormaliseLineEndings(record, iniPath);
    }
    if (!normalised) {
        EmitTemporaryFileHeading();
        ExitRequest(1);
    }
    // Between the two opens another request may have taken the file; nothing
    // is loaded from a file that is not ours.
    if (!record.OpenFile(iniPath.c_str(), SecondOpenMode))
        ShowErrorPage(ErrNoIniFile, record);
    record.LoadSettings();
    AdminURL = AdminUrlFor(record, programFileName);

    if (!form.HasField("act"))
        ShowErrorPage(ErrBadFormData, record);
    const std::string action = form.Field("act");
    const std::string password = form.HasField("password") ? form.Field("password") : std::string();

    // Remote administration is the only way in: with it off, everyone is refused.
    if (!record.remoteAdmin)
        ShowErrorPage(ErrNoRemoteAdmin, record);
    if (!PasswordMatches(password, record.adminPassword)) {
        LogAuthenticationFailure(CurrentDBName);
        ShowErrorPage(ErrBadPassword, record);
    }

    if (strcasecmp(action.c_str(), "entrance") == 0)
        ShowAdminForm(record);
    else if (strcasecmp(action.c_str(), "Configure") == 0) {
        // A SIGTERM that arrives during the update ends the process only once
        // the file holds the whole update (or, after a file error, the old
        // content).
        CDeferTermination deferred;
        UpdateConfiguration(form, record);
    }
}
