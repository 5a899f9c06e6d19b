// Admission.cpp: the password or the sign-in checked, and the sign-in the
// pages carry on.
#include "request/Admission.h"

#include "admin/PageShell.h"
#include "cgi/CgiForm.h"
#include "config/ChangedSettings.h"
#include "config/SettingTable.h"
#include "config/ZEPHOnlineINI.h"
#include "files/SigninKey.h"
#include "request/PasswordCheck.h"
#include "request/SigninToken.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// When the sign-in of this request ends.
std::time_t signinEnds = 0;

bool Posted()
{
    const char* method = std::getenv("REQUEST_METHOD");
    return method != nullptr && std::strcmp(method, "POST") == 0;
}

void SetSignin(const CZEPHOnlineINI& record, const std::string& iniPath)
{
    CurrentSignin.clear();
    if (record.remoteAdmin && !record.adminPassword.empty())
        CurrentSignin = SigninToken(SigninKey(iniPath), CurrentDBName, record.adminPassword, signinEnds);
}

}  // namespace

bool Admitted(CCgiForm& form, const CZEPHOnlineINI& record, const std::string& iniPath, bool history)
{
    const std::time_t now = std::time(nullptr);
    const std::string password = form.HasField("password") ? form.Field("password") : std::string();
    if (!password.empty() || !form.HasField(SigninField)) {
        if (!PasswordMatches(password, record.adminPassword))
            return false;
        signinEnds = now + SigninLifetime;
    } else {
        // A sign-in never stands in an address, where logs and the browser's
        // history would keep it: one sent there is refused as forged.
        if (!history || !Posted())
            return false;
        signinEnds = SigninExpiry(form.Field(SigninField), ExistingSigninKey(iniPath), CurrentDBName,
                                  record.adminPassword, now);
        if (signinEnds == 0)
            return false;
    }
    // Only the history's pages carry it on; a Configure's page gets one for
    // the database as the update leaves it (SigninAfterChange).
    if (history)
        SetSignin(record, iniPath);
    return true;
}

void SigninAfterChange(CZEPHOnlineINI& record, const std::string& iniPath,
                       const std::vector<std::string>& changedSettings)
{
    // The form of a Configure sets neither: its update reads them no more.
    for (Setting access : {Setting::RemoteAdmin, Setting::AdminPassword})
        if (std::find(changedSettings.begin(), changedSettings.end(), ChangedSettingName(access))
            != changedSettings.end()) {
            record.LoadAccessSettings();
            break;
        }
    SetSignin(record, iniPath);
}
