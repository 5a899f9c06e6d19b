// SettingComparison.h: what differs between two contents of a database's
// file, setting by setting, never showing a password.
#pragma once

#include "config/SettingTable.h"
#include "files/IniEntries.h"

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

// One difference as a page or a line shows it.
struct ShownDifference {
    enum What {
        Value,        // `older` → `newer`
        Masked,       // a password, or a key that no setting names: changed, values never shown
        ItemAdded,    // item `item` of a list: `newer`
        ItemRemoved,  // item `item` of a list: `older`
        ItemChanged,  // item `item` of a list: `older` → `newer`
    };
    std::string section, key;
    What what;
    size_t item = 0;  // from 1, for the item kinds
    std::string older, newer;  // empty when Masked
};

// Every difference between `older` and `newer` in the order of
// ChangedSettingNames; an item list as one difference per item that differs.
std::vector<ShownDifference> ShownDifferences(std::string_view older, std::string_view newer,
                                              const std::vector<ComparedSetting>& settings = TableSettings());

// "[section] key" (escaped as below) of every key whose value differs between `older` and
// `newer` (a missing key reads as empty), in the order of `newer`, then those
// `older` alone holds. A key that `settings` does not name is named too.
std::vector<std::string> ChangedSettingNames(std::string_view older, std::string_view newer,
                                             const std::vector<ComparedSetting>& settings = TableSettings());

// The same keys as section and key, of the entries of two contents
// (IniEntryViews), whose texts they lie in.
struct ChangedKey {
    std::string_view section, key;
};
std::vector<ChangedKey> ChangedKeys(const std::vector<IniEntryView>& older, const std::vector<IniEntryView>& newer);

// The same keys, one line each: "[section] key: "old" → "new"", what could
// act on a terminal in a section, key or value written as \xHH (EscapedText,
// UTF-8 kept); a password, and any key that
// `settings` does not name, as "[section] key: (changed)"; an item list one
// line per item that differs: "[section] key: item N added: "name"",
// "... removed: "name"" or "... changed: "old" → "new"".
std::vector<std::string> SettingDifferences(std::string_view older, std::string_view newer,
                                            const std::vector<ComparedSetting>& settings = TableSettings());
