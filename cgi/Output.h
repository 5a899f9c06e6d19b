// Output.h: the one output stream of a request. Everything the program answers
// is collected here and leaves the process in one write when it ends, whichever
// way it ends (normal return, exit, or ExitRequest).
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace answer_buffer {
// The answer collected so far runs from `begin` to `cursor`; `limit` ends the
// room there is. A page is written as many small pieces, so appending one is
// kept to a copy and a comparison.
extern char* begin;
extern char* cursor;
extern char* limit;
// Makes room for more than `count` further bytes.
void MakeRoom(size_t count);
}  // namespace answer_buffer

// Appends text to the answer as it stands.
inline void Emit(std::string_view text)
{
    // Always one byte to spare: an empty buffer (null pointers) gets its room
    // here too.
    if (static_cast<size_t>(answer_buffer::limit - answer_buffer::cursor) <= text.size())
        answer_buffer::MakeRoom(text.size());
    std::memcpy(answer_buffer::cursor, text.data(), text.size());
    answer_buffer::cursor += text.size();
}

// Appends a value for an HTML page: & < > " become &amp; &lt; &gt; &quot;.
void EmitHtml(std::string_view value);
// Appends a number in decimal, with a minus sign when negative.
void EmitNumber(long long value);
// Writes everything collected so far to standard output.
void FlushOutput();
// Writes all of `bytes` to the descriptor `fd`, going on after a partial or
// interrupted write; false when the descriptor refuses them.
bool WriteFully(int fd, std::string_view bytes);
// Hands back what was collected and not yet written, and forgets it (for tests).
std::string TakeOutput();
// Flushes the answer and ends the process with the given status.
[[noreturn]] void ExitRequest(int status);
