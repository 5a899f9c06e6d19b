// DatabaseKeys.h: the database's own passwords, besides the administration
// password: `create` gives each a random value, `status` counts the empty
// ones.
#pragma once

#include "config/SettingTable.h"

inline constexpr Setting DatabasePasswords[] = {
    Setting::MasterPassword,
    Setting::SearchPassword,
    Setting::ChangePassword,
    Setting::AddPassword,
};
