// SettingCommands.h: the commands that set one administration setting of a
// database, and what they say.
#pragma once

#include <string>

struct DatabaseFile;

// Sets the administration password to `password`. Says what changed, never
// the value: the password set, nothing to change, or the line ends alone.
std::string SetPassword(const DatabaseFile& file, const std::string& password);

// Turns remote administration on or off, and says so.
std::string SetRemoteAdministration(const DatabaseFile& file, bool on);
