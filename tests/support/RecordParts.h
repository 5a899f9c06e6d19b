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

// The record holds nothing but its groups: a member declared in the class
// itself would escape every comparison of two loads.
struct RecordOfGroupsOnly : CIniFile, SettingsNamingNoItem, ItemSettings, NamedItemSettings {
};
static_assert(sizeof(CZEPHOnlineINI) == sizeof(RecordOfGroupsOnly),
              "every member of CZEPHOnlineINI stands in one of its groups");
