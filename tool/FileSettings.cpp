// FileSettings.cpp: the settings from the form's table, the item lists and
// the two the shell tool sets.
#include "tool/FileSettings.h"

#include "admin/ConfigurationUpdate.h"

#include <cstring>

namespace {

// The form's fields that hold a password: their values are never shown.
bool IsPasswordField(const char* field)
{
    for (const char* password : {"SearchPasswd", "ChangePasswd", "AddPasswd", "MasterPasswd"})
        if (std::strcmp(field, password) == 0)
            return true;
    return false;
}

std::vector<ComparedSetting> Collect()
{
    const char* const items = "database entry info";
    std::vector<ComparedSetting> settings = {
        {items, "entry item number", SettingShown::Value},
        {items, "entry item name", SettingShown::ItemList},
        {items, "entry item data type", SettingShown::ItemList},
        {items, "entry item DB storage length", SettingShown::ItemList},
        {items, "previous entry item name", SettingShown::ItemList},
        {items, "previous entry item DB storage length", SettingShown::ItemList},
        {"Administration", "Enable Remote Administration", SettingShown::Value},
        {"Administration", "Administration password", SettingShown::Password},
    };
    for (const SettingField& field : SettingFields)
        settings.push_back({field.section, field.key,
                            IsPasswordField(field.field) ? SettingShown::Password : SettingShown::Value});
    return settings;
}

}  // namespace

const std::vector<ComparedSetting>& FileSettings()
{
    static const std::vector<ComparedSetting> settings = Collect();
    return settings;
}
