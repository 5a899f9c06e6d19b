// DatabaseKeys.h: the settings of a database's initialisation file that the
// shell tool reads or writes, by section and key, taken from the setting table.
#pragma once

#include "config/SettingTable.h"

struct SettingKey {
    const char* section;
    const char* key;
};

constexpr SettingKey KeyOf(Setting setting)
{
    return {RowOf(setting).section, RowOf(setting).key};
}

inline constexpr SettingKey AdminPasswordKey = KeyOf(Setting::AdminPassword);
inline constexpr SettingKey RemoteAdminKey = KeyOf(Setting::RemoteAdmin);

// The database's own passwords, besides the administration password: `create`
// gives each a random value, `status` counts the empty ones.
inline constexpr SettingKey DatabasePasswordKeys[] = {
    KeyOf(Setting::MasterPassword),
    KeyOf(Setting::SearchPassword),
    KeyOf(Setting::ChangePassword),
    KeyOf(Setting::AddPassword),
};
