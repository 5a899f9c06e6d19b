// ChangeTransaction.h: the one way a database's initialisation file is
// changed: by the web form's Configure, by each command of the shell tool
// and by a restore of a kept version.
//
// The calling sequence:
//
//   - Open the file with OpenAndLoadDatabase (config/DatabaseOpen.h). The
//     file is then open for reading and writing under its exclusive lock,
//     which is held until the record goes: no other change can come between
//     the reading and the writing. Its content is read once, into memory.
//
//   - Begin the change: `ChangeTransaction change(record, who);` (or
//     `ChangeTransaction change(record, ChangeTransaction::NoVersion);`).
//     From here until the object goes, the signals that end a process wait
//     (files/DeferTermination.h): a change is never cut off part-way by them.
//
//   - Edit the content in memory through the record: WriteSetting,
//     WriteValue, ReplaceContent. Nothing reaches the file yet: a refusal
//     (an error page that ends the process, an exception) leaves the file as
//     it was.
//
//   - `const ChangeOutcome outcome = change.Commit();` When the content is
//     as the file holds it, nothing is written. Else, in this order:
//       1. keep: the content replaced is written as a version for `who` in
//          the history folder (files/HistoryVersion.h), with the file's owner,
//          group, mode and attributes, and synced; when it cannot be, the
//          change goes on without it;
//       2. replace: the new content is written to a temporary file beside the
//          file, with the same owner, group, mode and attributes, and synced;
//       3. rename it over the file and sync the folder (or, where a rename
//          would lose what users see or set, rewrite the file in place after
//          the version's name is on disk);
//       4. confirm the version: its name on disk, the oldest beyond the limit
//          removed.
//     A change that fails for want of room once its version was written
//     drops the version and is made without it: the history never costs a
//     change. Any other failure raises the file error with the file as it
//     was and no version left, except FolderSyncFailure (files/
//     FileReplacement.h): the file holds the change, its version stays, and
//     only the folder's sync is in doubt.
//
//     A change of the remote administration switch ends every sign-in to
//     the database (files/SigninKey.h): none given before it lasts through
//     the switch turned off, nor through it turned on again.
//
//   - The object goes: a termination signal that arrived meanwhile takes
//     effect now, after the change is complete (or undone).
#pragma once

#include "files/DeferTermination.h"

#include <string>
#include <vector>

class CZEPHOnlineINI;

// What a committed change did.
struct ChangeOutcome {
    bool changed = false;  // the file's content differed and was replaced
    // Why the content replaced was not kept as a version ("history folder:
    // Permission denied"); empty when it was, when none was asked for, or
    // when nothing changed.
    std::string notKept;
    // The file name of the version that keeps the content replaced (a
    // HistoryVersion's name); empty when none was kept.
    std::string keptVersion;
    // The names of the settings it changed (ChangedSettingSummary, config/
    // ChangedSettings.h), compared in the two contents the change holds
    // anyway; none when nothing changed.
    std::vector<std::string> changedSettings;
};

class ChangeTransaction {
public:
    // A change that keeps no version: a new database's first values replace
    // only its model, which is no earlier version.
    enum NoVersionTag { NoVersion };

    // Begins a change of `record` (open and loaded as above) whose replaced
    // content is kept as a version made by `who` (a remote address, "shell
    // tool uid N").
    ChangeTransaction(CZEPHOnlineINI& record, std::string who);
    ChangeTransaction(CZEPHOnlineINI& record, NoVersionTag);
    ChangeTransaction(const ChangeTransaction&) = delete;
    ChangeTransaction& operator=(const ChangeTransaction&) = delete;

    // Puts the edits into the file in one step (see above). Once only.
    ChangeOutcome Commit();

private:
    CDeferTermination deferred;
    CZEPHOnlineINI& record;
    bool keepVersion;
    std::string who;
};
