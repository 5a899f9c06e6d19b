// AuthenticationLog.h: the line a refused password leaves on standard error,
// which web servers keep in their error log, so that tools watching that log
// can ban an address that keeps guessing.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// `text` with every byte outside printable ASCII, and every '"' and '\', written
// as \xHH (lower-case hex): a logged value can neither end its line nor close
// its quotes, so no request can forge a line of the log.
std::string EscapeForLog(std::string_view text);

// "TIME zephconf: authentication failure for database "NAME" from ADDR\n",
// TIME being `now` in UTC as YYYY-MM-DDTHH:MM:SSZ and ADDR `remoteAddr`, or
// "unknown" when that is missing or empty. The server may copy the line into
// its log without a time of its own, so the line carries one.
std::string AuthenticationFailureLine(std::time_t now, std::string_view dbName, const char* remoteAddr);

// Writes the line for `dbName`, the current time and REMOTE_ADDR to standard
// error in one write.
void LogAuthenticationFailure(const std::string& dbName);
