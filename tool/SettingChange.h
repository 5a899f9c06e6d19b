// SettingChange.h: one setting of a database's initialisation file changed the
// way a web "Configure" changes the configuration.
#pragma once

#include <string>

// Opens `iniPath` through the same path as a web request (lock wait, line
// ends, loading), sets `key` in `section` to `value` and commits: the whole
// file replaced, owner, mode and attributes kept, nothing written when the
// file already says so. Termination signals wait until the change is complete.
// Returns whether the file's content changed. Raises CommandFailure when the
// file cannot be opened or written (the setting then is as it was).
bool ChangeSetting(const std::string& iniPath, const char* section, const char* key,
                   const std::string& value);
