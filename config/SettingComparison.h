// SettingComparison.h: what differs between two contents of a database's
// file, setting by setting, never showing a password.
#pragma once

#include "config/SettingTable.h"

#include <string>
#include <string_view>
#include <vector>

// A setting of the file: its section, its key, and how it is shown.
struct ComparedSetting {
    std::string_view section;
    std::string_view key;
    SettingShown shown;
};

// Every setting of the setting table, with how its values may be shown.
const std::vector<ComparedSetting>& TableSettings();

// "[section] key" (escaped as below) of every key whose value differs between `older` and
// `newer` (a missing key reads as empty), in the order of `newer`, then those
// `older` alone holds. A key that `settings` does not name is named too.
std::vector<std::string> ChangedSettingNames(std::string_view older, std::string_view newer,
                                             const std::vector<ComparedSetting>& settings = TableSettings());

// The same keys, one line each: "[section] key: "old" → "new"", what could
// act on a terminal in a section, key or value written as \xHH (EscapedText,
// UTF-8 kept); a password, and any key that
// `settings` does not name, as "[section] key: (changed)"; an item list one
// line per item that differs: "[section] key: item N added: "name"",
// "... removed: "name"" or "... changed: "old" → "new"".
std::vector<std::string> SettingDifferences(std::string_view older, std::string_view newer,
                                            const std::vector<ComparedSetting>& settings = TableSettings());
