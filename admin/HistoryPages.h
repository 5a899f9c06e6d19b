// HistoryPages.h: the configuration history in the browser: the kept
// versions, what a change changed, a restore's confirmation and its result.
// Every page posts the administration password back only as typed again by
// its owner: no page holds a password, and each action is checked as the
// administration form's submission is.
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
// record's content), and why the content replaced was not kept, if it was not.
void ShowRestored(CZEPHOnlineINI& record, const HistoryVersion& version, const std::string& before,
                  const std::string& notKept);
