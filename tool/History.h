// History.h: the shell tool's view of a database's kept versions: the list,
// the settings one differs in from the file, and putting one back.
#pragma once

#include <string>

// Prints one line per kept version of `iniPath`, newest first: its number
// (1 = the newest), the time of the change that replaced it, who made that
// change, and the settings that differ between it and the version after it
// (or the file), passwords by name only. A line "-  not kept: ..." stands
// where a change was not kept (or the file was changed by other means).
// Reads under a shared lock, writes nothing.
void ShowHistory(const std::string& iniPath);

// Prints the settings that differ between version `number` and the file, one
// per line (see SettingDifferences). Raises CommandFailure when there is no
// such version or it cannot be read.
void ShowDifferences(const std::string& iniPath, int number);

// Puts version `number` back as the file's content through the same change
// as any other (lock, whole replacement, attributes kept); the content it
// replaces is kept as a new version, so the restore can be undone. Prints
// what it restored.
void RestoreVersion(const std::string& iniPath, int number);
