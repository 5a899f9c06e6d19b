// HistoryPages.h: the configuration history in the browser: the kept
// versions, what a change changed, a restore's confirmation and its result.
// No page holds a password: a page after a checked password carries the
// sign-in (CurrentSignin, admin/PageShell.h) in its forms, or, where none
// can be given, asks for the password for each action.
#pragma once

#include <string>
#include <vector>

class CCgiForm;
class CZEPHOnlineINI;
struct HistoryVersion;

// The acts of these pages, and the fields that name a version, one home for
// the pages that write them and the request that reads them. act=history
// only reads: with a field "changes" it shows what the change that replaced
// that version did, with "restore" the restore's confirmation, else the
// list. act=restore, posted from the confirmation with "version", restores.
inline constexpr char HistoryAct[] = "history";
inline constexpr char RestoreAct[] = "restore";
inline constexpr char ChangesField[] = "changes";
inline constexpr char ConfirmRestoreField[] = "restore";
inline constexpr char VersionField[] = "version";

// The HTML head of these pages, up to the opened body: a layout that reads
// on a phone and on a desktop.
void EmitHistoryHead();

// act=history for the database file `iniPath`, whose record is open under
// its lock and loaded: the list, a version's changes or a restore's
// confirmation. A version name that is not one of the database's kept
// versions is refused (ShowUnknownVersion).
void ShowHistory(CCgiForm& form, CZEPHOnlineINI& record, const std::string& iniPath);

// The refusal of a version name that is not a kept version of the database;
// ends the process with status 1.
[[noreturn]] void ShowUnknownVersion(const CZEPHOnlineINI& record);

// The page after a restore of `version`: what changed (`before` → the
// record's content), and why the content replaced was not kept, if it was
// not; then the way to undo it (`keptVersion`, the content it replaced) and
// to the history.
void ShowRestored(CZEPHOnlineINI& record, const HistoryVersion& version, const std::string& before,
                  const std::string& notKept, const std::string& keptVersion);

// A form that follows a change's page: `undoLabel` on a button to the
// confirmation of restoring `keptVersion` (the content the change replaced;
// no such button when empty) and "History" to the list, signed in
// (CurrentSignin) or with the password field.
void EmitUndoForm(const std::string& keptVersion, const char* undoLabel);
