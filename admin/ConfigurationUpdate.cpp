// ConfigurationUpdate.cpp: copies the submitted administration form, field by
// field, into the database's initialisation file and confirms it.
#include "admin/ConfigurationUpdate.h"

#include "admin/ErrorPage.h"
#include "admin/ItemListSubmission.h"
#include "cgi/CgiForm.h"
#include "cgi/Output.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>
#include <string>

const std::array<SettingField, 40> SettingFields = {{
    {"ConvertNew",      FieldKind::Flag,  "database entry info",        "convert old items to new items",           nullptr},
    {"Waste",           FieldKind::Text,  "database entry info",        "maximum waste entries stored in DB",       nullptr},
    {"HtmlURL",         FieldKind::Text,  "file",                       "html path",                                nullptr},
    {"DBURL",           FieldKind::Text,  "file",                       "exe full URL",                             nullptr},
    {"ConfURL",         FieldKind::Text,  "file",                       "configuration exe full URL",               nullptr},
    {"HelpURL",         FieldKind::Text,  "Administration",             "Administration help page URL",             nullptr},
    {"Hide",            FieldKind::Flag,  "file",                       "hide files",                               nullptr},
    {"EMail",           FieldKind::Text,  "contact",                    "web master",                               nullptr},
    {"OldDBPath",       FieldKind::Text,  "conversion",                 "database source",                          nullptr},
    {"DBFormat",        FieldKind::Text,  "conversion",                 "output format",                            nullptr},
    {"SChar",           FieldKind::Text,  "conversion",                 "separation charcter",                      nullptr},
    {"UseCSV",          FieldKind::Flag,  "formatted csv file options", "use csv file",                             nullptr},
    {"CSVItem",         FieldKind::Text,  "formatted csv file options", "display",                                  nullptr},
    {"CSVSort",         FieldKind::Text,  "formatted csv file options", "sort",                                     nullptr},
    {"UsePasswd",       FieldKind::Flag,  "password",                   "use password",                             nullptr},
    {"SearchPasswd",    FieldKind::Text,  "password",                   "search entry password",                    nullptr},
    {"ChangePasswd",    FieldKind::Text,  "password",                   "change entry password",                    nullptr},
    {"AddPasswd",       FieldKind::Text,  "password",                   "add entry password",                       nullptr},
    {"CaseSensitivity", FieldKind::Flag,  "password",                   "case sensitivity",                         nullptr},
    {"OwnPasswd",       FieldKind::Flag,  "password",                   "use own password",                         nullptr},
    {"MasterPasswd",    FieldKind::Text,  "password",                   "masterpassword",                           nullptr},
    {"MaxNumber",       FieldKind::Count, "search options",             "found entries per page",                   "40"},
    {"PagePerSec",      FieldKind::Count, "search options",             "total pages per section",                  "10"},
    {"MaxFoundNumber",  FieldKind::Count, "search options",             "maximum found entries returned in search", "100"},
    {"UseStamp",        FieldKind::Flag,  "time stamp",                 "use time stamp",                           nullptr},
    {"StampIndex",      FieldKind::Text,  "time stamp",                 "time stamp items",                         nullptr},
    {"MasterStamp",     FieldKind::Text,  "time stamp",                 "master time stamp",                        nullptr},
    {"TimeFormat",      FieldKind::Text,  "time stamp",                 "mode",                                     nullptr},
    {"EntryLife",       FieldKind::Text,  "time stamp",                 "obsolete",                                 nullptr},
    {"UseCount",        FieldKind::Flag,  "report",                     "hit count",                                nullptr},
    {"CountItem",       FieldKind::Text,  "report",                     "hit counting item",                        nullptr},
    {"CountInt",        FieldKind::Text,  "report",                     "hits report interval (in days)",           nullptr},
    {"TopCount",        FieldKind::Text,  "report",                     "report top x hits and x (max:100)",        nullptr},
    {"ReportError",     FieldKind::Flag,  "report",                     "error report",                             nullptr},
    {"ReportStat",      FieldKind::Flag,  "report",                     "stat report",                              nullptr},
    {"SMTP",            FieldKind::Text,  "report",                     "SMTP server",                              nullptr},
    {"Sender",          FieldKind::Text,  "report",                     "report sender",                            nullptr},
    {"Receiver",        FieldKind::Text,  "report",                     "report receiver",                          nullptr},
    {"StatSub",         FieldKind::Text,  "report",                     "Stats subject",                            nullptr},
    {"ErrorSub",        FieldKind::Text,  "report",                     "Error subject",                            nullptr},
}};

namespace {

// A value is one line of the file: whatever follows a line break in a submitted
// value would otherwise become a line (a key, a section) of its own.
std::string FirstLine(const std::string& value)
{
    return value.substr(0, std::strcspn(value.c_str(), "\r\n"));
}

std::string ValueToWrite(CCgiForm& form, const SettingField& setting)
{
    if (setting.kind == FieldKind::Flag)
        return form.HasField(setting.field) ? "1" : "0";
    std::string value = FirstLine(form.Field(setting.field));
    if (setting.kind == FieldKind::Count && value.empty())
        return setting.fallback;
    return value;
}

void ShowConfirmation(bool mailReporting, const std::string& mainPage)
{
    Emit("<h1>Your database configuration file has been updated!</h1>\n");
    if (mailReporting)
        Emit("<h3>Please note that because you enabled email reporting, you must make sure that your server has sendmail program at /usr/lib/sendmail and that you have rights to use it!</h3>\n");
    Emit("<h2><A HREF=\"");
    EmitHtml(mainPage);
    Emit("\">Go to the database main page to check it out.</A>\n</h2>\n");
}

}  // namespace

void UpdateConfiguration(CCgiForm& form, CZEPHOnlineINI& record)
{
    // Both lists are checked first so that a refused form changes nothing.
    if (!form.HasField("iteminfo") || !form.HasField("previtem"))
        ShowErrorPage(ErrBadFormData, record);
    // A database holds at most MaxItems items: a longer list would lose its tail.
    if (CountItemLines(form.Field("iteminfo")) > CZEPHOnlineINI::MaxItems ||
        CountItemLines(form.Field("previtem")) > CZEPHOnlineINI::MaxItems)
        ShowErrorPage(ErrBadFormData, record);

    // The confirmation speaks of the settings as they were before this update.
    const bool mailReporting = record.errorReport || record.statReport;
    const std::string mainPage = record.htmlPath;

    WriteItemList(form.Field("iteminfo"), ItemLayout::CurrentItems, record);
    WriteItemList(form.Field("previtem"), ItemLayout::PreviousItems, record);
    for (const SettingField& setting : SettingFields)
        record.WriteValue(setting.section, setting.key, ValueToWrite(form, setting).c_str());
    // Every write so far was made on the content in memory; the file gets all
    // of them in one step, or none.
    record.Commit();

    ShowConfirmation(mailReporting, mainPage);
}
