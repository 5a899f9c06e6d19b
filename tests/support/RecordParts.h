// RecordParts.h: a loaded record's members, copied to compare two loads, in
// the groups the record keeps them in (config/ZEPHOnlineINI.h):
// SettingsNamingNoItem(record), ItemSettings(record) and
// NamedItemSettings(record) copy one group, AllSettings(record) all three.
#pragma once

#include "config/ZEPHOnlineINI.h"

struct AllSettings : SettingsNamingNoItem, ItemSettings, NamedItemSettings {
    explicit AllSettings(const CZEPHOnlineINI& record)
        : SettingsNamingNoItem(record), ItemSettings(record), NamedItemSettings(record)
    {
    }
    bool operator==(const AllSettings&) const = default;
};
