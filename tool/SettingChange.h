// SettingChange.h: a database's initialisation file changed the way a web
// "Configure" changes the configuration.
#pragma once

#include <functional>
#include <string>

class CZEPHOnlineINI;

struct ChangeOutcome {
    bool changed = false;  // the file's content changed
    std::string notKept;   // why the content it replaced was not kept; empty when kept
};

// Opens `iniPath` through the same path as a web request (lock wait, line
// ends, loading), lets `edit` change the content and commits: the whole file
// replaced, owner, mode and attributes kept, nothing written when the content
// is as it was, and the content replaced kept as a history version made by
// the shell tool and the user's id. Termination signals wait until the change
// is complete. Raises CommandFailure when the file cannot be opened or
// written (the file then is as it was).
ChangeOutcome ChangeDatabase(const std::string& iniPath, const std::function<void(CZEPHOnlineINI&)>& edit);

// ChangeDatabase setting `key` in `section` to `value`.
ChangeOutcome ChangeSetting(const std::string& iniPath, const char* section, const char* key,
                            const std::string& value);

// " (previous configuration not kept: REASON)" when the outcome says so,
// else empty: the end of the line that reports a change.
std::string NotKeptNote(const ChangeOutcome& outcome);
