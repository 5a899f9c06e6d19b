// History.h: the shell tool's view of a database's kept versions: the list,
// the settings one differs in from the file, and putting one back. Each
// returns what the command says on standard output.
#pragma once

#include <string>

struct DatabaseFile;

// One line per kept version of `file`, newest first: its number (1 = the
// newest), the time of the change that replaced it, who made that change,
// and the settings that differ between it and the version after it (or the
// file), passwords by name only. A line "-  ..." stands where a change was
// not kept (or the file was changed by other means). Reads under a shared
// lock, writes nothing.
std::string HistoryText(const DatabaseFile& file);

// The settings that differ between version `number` and the file, one per
// line (see SettingDifferences). Raises CommandFailure when there is no such
// version or it cannot be read.
std::string DifferencesText(const DatabaseFile& file, int number);

// Puts version `number` back as the file's content through the same change
// as any other (lock, whole replacement, attributes kept); the content it
// replaces is kept as a new version, so the restore can be undone. Says what
// it restored.
std::string RestoreVersion(const DatabaseFile& file, int number);
