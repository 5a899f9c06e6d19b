// DatabaseKeys.h: the settings of a database's initialisation file that the
// shell tool reads or writes, by section and key. The tool spells them here
// and nowhere else.
#pragma once

struct SettingKey {
    const char* section;
    const char* key;
};

inline constexpr SettingKey AdminPasswordKey {"Administration", "Administration password"};
inline constexpr SettingKey RemoteAdminKey {"Administration", "Enable Remote Administration"};

// The database's own passwords, besides the administration password: `create`
// gives each a random value, `status` counts the empty ones.
inline constexpr SettingKey DatabasePasswordKeys[] = {
    {"password", "masterpassword"},
    {"password", "search entry password"},
    {"password", "change entry password"},
    {"password", "add entry password"},
};
