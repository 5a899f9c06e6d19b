// Output.h: the one output stream of a request. Everything the program answers
// is collected here and leaves the process in one write when it ends, whichever
// way it ends (normal return, exit, or ExitRequest).
#pragma once

#include <string_view>

// Appends text to the answer as it stands.
void Emit(std::string_view text);
// Appends a value for an HTML page: & < > " become &amp; &lt; &gt; &quot;.
void EmitHtml(std::string_view value);
// Appends a number in decimal, with a minus sign when negative.
void EmitNumber(long long value);
// Writes everything collected so far to standard output and forgets it.
void FlushOutput();
// Writes all of `bytes` to the descriptor `fd`, going on after a partial or
// interrupted write; false when the descriptor refuses them.
bool WriteFully(int fd, std::string_view bytes);
// Flushes the answer and ends the process with the given status.
[[noreturn]] void ExitRequest(int status);
