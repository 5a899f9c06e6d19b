// SettingChange.h: settings of a database's initialisation file changed the
// way a web "Configure" changes the configuration.
#pragma once

#include "tool/DatabaseKeys.h"

#include <string>
#include <vector>

struct DatabaseFile;

// What a change did to the file.
struct SettingChange {
    bool settingChanged = false;     // the file did not hold the values before
    bool lineEndsRewritten = false;  // its CR LF line ends became line feeds
};

struct SettingValue {
    SettingKey setting;
    std::string value;
};

// Opens `file` through the same path as a web request (lock wait, line ends,
// loading), sets each of `values` and commits them together: the whole file
// replaced, owner, mode and attributes kept, nothing written when the file
// already says so. Termination signals wait until the change is complete.
// Raises CommandFailure when the file cannot be opened or written (the
// settings then are as they were), and one with ExitUnconfirmed when the
// file holds the change but its folder could not be synced after the rename.
SettingChange ChangeSettings(const DatabaseFile& file, const std::vector<SettingValue>& values);
