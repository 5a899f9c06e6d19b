// ConfigurationUpdate.cpp: copies the submitted administration form, field by
// field, into the database's settings, and confirms the update.
#include "admin/ConfigurationUpdate.h"

#include "admin/ErrorPage.h"
#include "admin/ItemListSubmission.h"
#include "cgi/CgiForm.h"
#include "base/Output.h"
#include "config/SettingTable.h"
#include "config/ZEPHOnlineINI.h"

#include <cstring>
#include <string>

namespace {

// A value is one line of the file: whatever follows a line break in a submitted
// value would otherwise become a line (a key, a section) of its own.
std::string FirstLine(const std::string& value)
{
    return value.substr(0, std::strcspn(value.c_str(), "\r\n"));
}

std::string ValueToWrite(CCgiForm& form, const SettingRow& row)
{
    if (row.kind == SettingKind::Checkbox)
        return form.HasField(row.formField) ? "1" : "0";
    std::string value = FirstLine(form.Field(row.formField));
    if (value.empty() && row.whenEmpty != nullptr)
        return row.whenEmpty;
    return value;
}

}  // namespace

Confirmation WriteConfiguration(CCgiForm& form, CZEPHOnlineINI& record)
{
    const char* const itemArea = RowOf(Setting::ItemNames).formField;
    const char* const previousItemArea = RowOf(Setting::PreviousItemNames).formField;
    // Both lists are checked first so that a refused form changes nothing.
    if (!form.HasField(itemArea) || !form.HasField(previousItemArea))
        ShowErrorPage(ErrBadFormData, record);
    // A database holds at most MaxItems items: a longer list would lose its tail.
    const ItemListFields items = SplitItemList(form.Field(itemArea), ItemLayout::CurrentItems);
    const ItemListFields previousItems = SplitItemList(form.Field(previousItemArea), ItemLayout::PreviousItems);
    if (items.lines > CZEPHOnlineINI::MaxItems || previousItems.lines > CZEPHOnlineINI::MaxItems)
        ShowErrorPage(ErrBadFormData, record);

    // The confirmation speaks of the settings as they were before this update.
    const Confirmation confirmation {record.errorReport || record.statReport, record.htmlPath};

    WriteItemList(items, record);
    WriteItemList(previousItems, record);
    // The item lists are written from their text areas above.
    for (const SettingRow& row : SettingTable)
        if (row.formField != nullptr && row.kind != SettingKind::ItemList)
            record.WriteSetting(row.setting, ValueToWrite(form, row));
    return confirmation;
}

void ShowConfirmation(const Confirmation& confirmation)
{
    Emit("<h1>Your database configuration file has been updated!</h1>\n");
    if (confirmation.mailReporting)
        Emit("<h3>Please note that because you enabled email reporting, you must make sure that your server has sendmail program at /usr/lib/sendmail and that you have rights to use it!</h3>\n");
    Emit("<h2><A HREF=\"");
    EmitHtml(confirmation.mainPage);
    Emit("\">Go to the database main page to check it out.</A>\n</h2>\n");
}
