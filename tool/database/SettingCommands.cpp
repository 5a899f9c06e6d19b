// SettingCommands.cpp: one setting changed, put in words.
#include "tool/database/SettingCommands.h"

#include "tool/database/DatabaseArgument.h"
#include "tool/database/SettingChange.h"

namespace {

// What a change says: what changed, never a value. `done` for a change,
// `already` after "nothing changed: " for none; a change of the line ends
// alone says so, with `still` after it.
std::string Said(const SettingChange& change, const std::string& file, const std::string& done,
                 const std::string& already, const std::string& still)
{
    if (change.settingChanged)
        return done + NotKeptNote(change) + "\n";
    if (change.lineEndsRewritten)
        return "line ends of " + file + " rewritten from CR LF to LF; " + still + "\n";
    return "nothing changed: " + already + "\n";
}

}  // namespace

std::string SetPassword(const DatabaseFile& file, const std::string& password)
{
    const SettingChange change = ChangeSettings(file, {{Setting::AdminPassword, password}});
    return Said(change, file.shown, "administration password set for " + file.shown,
                file.shown + " already has that administration password", "it already had that administration password");
}

std::string SetRemoteAdministration(const DatabaseFile& file, bool on)
{
    const std::string state = on ? "enabled" : "disabled";
    const SettingChange change = ChangeSettings(file, {{Setting::RemoteAdmin, on ? "1" : "0"}});
    return Said(change, file.shown, "remote administration " + state + " for " + file.shown,
                "remote administration already " + state + " for " + file.shown,
                "remote administration already " + state);
}
