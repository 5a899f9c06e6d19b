// PasswordEntry.h: the new administration password, typed at a terminal or
// given on standard input by a script.
#pragma once

#include <string>

// The longest password taken. A form's password field sends any length, but
// standard input must end somewhere (`yes | zephconf-admin ...`).
constexpr size_t MaxPasswordBytes = 1024;

// On a terminal: asks twice without echo and refuses two entries that differ.
// A signal that ends the process meanwhile gives the terminal its echo back
// first, and the process then ends as the signal makes it; one that stops it
// gives the echo back for the stop and turns it off again when it goes on.
// Otherwise: reads standard input to its end, one line: the password and at
// most one line feed after it. Raises CommandFailure for a refused password
// (see PasswordRefusal) or input that cannot be read.
std::string ReadNewPassword();

// Why `password` cannot be an administration password, or empty when it can:
// empty (the web program lets nobody in with one); a line feed or carriage
// return (the value is one line of the file, and a trailing carriage return
// is lost when it is read back; no browser sends either from a password
// field); a NUL byte (it would end the value); or longer than
// MaxPasswordBytes.
std::string PasswordRefusal(const std::string& password);
