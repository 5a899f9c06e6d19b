// SettingChange.h: one setting of a database's initialisation file changed the
// way a web "Configure" changes the configuration.
#pragma once

#include <string>

struct DatabaseFile;

// What a change did to the file.
struct SettingChange {
    bool settingChanged = false;     // the file did not hold the value before
    bool lineEndsRewritten = false;  // its CR LF line ends became line feeds
};

// Opens `file` through the same path as a web request (lock wait, line ends,
// loading), sets `key` in `section` to `value` and commits: the whole file
// replaced, owner, mode and attributes kept, nothing written when the file
// already says so. Termination signals wait until the change is complete.
// Raises CommandFailure when the file cannot be opened or written (the
// setting then is as it was), and one with ExitUnconfirmed when the file
// holds the change but its folder could not be synced after the rename.
SettingChange ChangeSetting(const DatabaseFile& file, const char* section, const char* key,
                            const std::string& value);
