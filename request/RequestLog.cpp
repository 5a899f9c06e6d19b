// RequestLog.cpp: the refused sign-in and changed configuration lines on
// standard error.
#include "request/RequestLog.h"

#include "base/EscapedText.h"
#include "base/Output.h"
#include "config/ChangedSettings.h"
#include "files/HistoryVersion.h"

#include <cstdlib>
#include <unistd.h>

std::string RequestLogLine(std::time_t now, RequestEvent event, std::string_view dbName,
                           const char* remoteAddr, std::string_view note)
{
    struct tm utc {};
    gmtime_r(&now, &utc);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    const char* what = event == RequestEvent::AuthenticationFailure ? "authentication failure"
                       : event == RequestEvent::ConfigurationUpdated ? "configuration updated"
                                                                     : "configuration restored";
    const bool addressKnown = remoteAddr != nullptr && remoteAddr[0] != '\0';
    return std::string(when) + " zephconf: " + what + " for database \"" + EscapedText(dbName, TextKept::Ascii) +
           "\" from " + (addressKnown ? EscapedText(remoteAddr, TextKept::Ascii) : std::string("unknown")) + std::string(note) + "\n";
}

std::string ChangeNote(const std::vector<std::string>& changedSettings, const std::string& notKept)
{
    return ": " + EscapedText(ChangedSettingsText(changedSettings), TextKept::Ascii)
           + (notKept.empty() ? std::string() : NotKeptSuffix(notKept));
}

std::string RemoteAddress()
{
    const char* address = std::getenv("REMOTE_ADDR");
    return address != nullptr && address[0] != '\0' ? address : "unknown";
}

void LogRequestEvent(RequestEvent event, const std::string& dbName, std::string_view note)
{
    const std::string line = RequestLogLine(std::time(nullptr), event, dbName, std::getenv("REMOTE_ADDR"), note);
    // The whole line in one write, not through a buffered stream that could
    // hand it over in pieces, between which the server could copy the lines
    // of other requests into the same log. Without a log the answer itself
    // still goes out.
    WriteFully(STDERR_FILENO, line);
}
