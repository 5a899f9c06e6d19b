// SettingChange.h: a database's initialisation file changed the way a web
// "Configure" changes the configuration.
#pragma once

#include "config/SettingTable.h"

#include <functional>
#include <string>
#include <vector>

class CZEPHOnlineINI;
struct DatabaseFile;

// What a change did to the file.
struct SettingChange {
    bool settingChanged = false;     // the content differs from what the file held
    bool lineEndsRewritten = false;  // its CR LF line ends became line feeds
    std::string notKept;             // why the content it replaced was not kept; empty when kept
};

struct SettingValue {
    Setting setting;
    std::string value;
};

// Whether a change keeps the content it replaces as a history version: a new
// database's first values replace only its model, which is no earlier version.
enum class Predecessor { Kept, NotKept };

// Opens `file` through the same path as a web request (lock wait, line ends,
// loading), lets `edit` change the content and commits through the change
// transaction (config/ChangeTransaction.h), as a web request does: the whole
// file replaced, owner, mode and attributes kept, nothing written when the
// content is as it was, and the content replaced kept as a history version
// made by the shell tool and the id of the user who runs it. Termination
// signals wait until the change is complete. Raises CommandFailure when the file cannot be
// opened or written (the file then is as it was), and one with
// ExitUnconfirmed when the file holds the change but its folder could not be
// synced after the rename.
SettingChange ChangeDatabase(const DatabaseFile& file, const std::function<void(CZEPHOnlineINI&)>& edit,
                             Predecessor predecessor = Predecessor::Kept);

// ChangeDatabase setting each of `values`, committed together.
SettingChange ChangeSettings(const DatabaseFile& file, const std::vector<SettingValue>& values,
                             Predecessor predecessor = Predecessor::Kept);

// " (previous configuration not kept: REASON)" when the change says so, else
// empty: the end of the line that reports it.
std::string NotKeptNote(const SettingChange& change);
