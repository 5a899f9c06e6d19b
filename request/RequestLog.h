// RequestLog.h: the lines a request leaves on standard error, which web servers
// keep in their error log: a refused password, so that tools watching that log
// can ban an address that keeps guessing, and a changed configuration, so that
// the administrator can tell when and from where the configuration changed.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

enum class RequestEvent {
    AuthenticationFailure,  // "authentication failure"
    ConfigurationUpdated,   // "configuration updated"
    ConfigurationRestored,  // "configuration restored"
};

// "TIME zephconf: EVENT for database "NAME" from ADDR\n", TIME being `now` in
// UTC as YYYY-MM-DDTHH:MM:SSZ and ADDR `remoteAddr`, or "unknown" when that is
// missing or empty. NAME and ADDR keep printable ASCII alone, every other
// byte and '"' and '\' written as \xHH (EscapedText): a logged value can
// neither end its line nor close its quotes, so no request can forge a line
// of the log. The server may copy the line into its log without a time
// of its own, so the line carries one. No password ever goes into it.
// `note`, when given, ends the line (before its line feed) as it is.
std::string RequestLogLine(std::time_t now, RequestEvent event, std::string_view dbName,
                           const char* remoteAddr, std::string_view note = {});

// What a change changed, for the end of its line, from the names of the
// settings it changed (ChangeOutcome::changedSettings): ": changed [section]
// key, ... and N more" or ": no setting changed" (config/ChangedSettings.h:
// names only, never a value), escaped as the line's other values are, then
// the note that the content replaced was not kept, when `notKept` says why.
std::string ChangeNote(const std::vector<std::string>& changedSettings, const std::string& notKept);

// REMOTE_ADDR, or "unknown" when that is missing or empty: who made a change.
std::string RemoteAddress();

// Writes the event's line for `dbName`, the current time and REMOTE_ADDR to
// standard error in one write, `note` at its end.
void LogRequestEvent(RequestEvent event, const std::string& dbName, std::string_view note = {});
