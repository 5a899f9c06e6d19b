// FileSettings.cpp: the settings of the setting table, with how each is shown.
#include "config/FileSettings.h"

#include "config/SettingTable.h"

namespace {

SettingShown ShownAs(const SettingRow& row)
{
    switch (row.kind) {
    case SettingKind::Password:
        return SettingShown::Password;
    case SettingKind::ItemList:
        // The number of items is one number, not a list of them.
        return row.setting == Setting::ItemCount ? SettingShown::Value : SettingShown::ItemList;
    default:
        return SettingShown::Value;
    }
}

std::vector<ComparedSetting> Collect()
{
    std::vector<ComparedSetting> settings;
    for (const SettingRow& row : SettingTable)
        settings.push_back({row.section, row.key, ShownAs(row)});
    return settings;
}

}  // namespace

const std::vector<ComparedSetting>& FileSettings()
{
    static const std::vector<ComparedSetting> settings = Collect();
    return settings;
}
