// Output.cpp: the answer buffer, written to standard output in one go.
#include "base/Output.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unistd.h>

namespace {

// The answer collected so far: `used` bytes at `answer`, in `room` bytes. A
// page is written as thousands of small pieces, so appending one is kept to
// a comparison and a copy.
char* answer = nullptr;
size_t used = 0;
size_t room = 0;

// Makes room for more than `count` further bytes.
void Grow(size_t count)
{
    // 64 KiB hold the page of the largest database.
    const size_t grown = std::max({size_t{64 * 1024}, 2 * room, used + count + 1});
    char* bigger = static_cast<char*>(std::realloc(answer, grown));
    if (bigger == nullptr)
        throw std::bad_alloc();
    answer = bigger;
    room = grown;
}

inline void Append(const char* text, size_t count)
{
    // Always a byte to spare: the empty buffer gets its first room here too.
    if (room - used <= count)
        Grow(count);
    std::memcpy(answer + used, text, count);
    used += count;
}

// Registered at start-up, so that an exit() anywhere still delivers the page.
const int flushAtExit = std::atexit(FlushOutput);

// The bytes that an HTML page needs written as entities, looked up in a table
// of all 256 at one load per byte, and their entities.
constexpr std::array<bool, 256> NeedsEntity = [] {
    std::array<bool, 256> needs{};
    for (char c : {'&', '<', '>', '"'})
        needs[static_cast<unsigned char>(c)] = true;
    return needs;
}();

const char* Entity(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return "&quot;";
    }
}

}  // namespace

void Emit(std::string_view text)
{
    Append(text.data(), text.size());
}

void EmitHtml(std::string_view value)
{
    // Runs of bytes that stand for themselves are appended whole.
    const char* run = value.data();
    const char* const end = run + value.size();
    for (const char* at = run; at != end; ++at) {
        if (!NeedsEntity[static_cast<unsigned char>(*at)])
            continue;
        const char* entity = Entity(*at);
        Append(run, static_cast<size_t>(at - run));
        Append(entity, std::strlen(entity));
        run = at + 1;
    }
    Append(run, static_cast<size_t>(end - run));
}

void EmitNumber(long long value)
{
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Append(digits, static_cast<size_t>(end - digits));
}

bool WriteFully(int fd, std::string_view bytes)
{
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

void FlushOutput()
{
    // A failure means the web server has gone; nothing else can be told.
    WriteFully(STDOUT_FILENO, std::string_view(answer, used));
    used = 0;
}

[[noreturn]] void ExitRequest(int status)
{
    std::exit(status);  // FlushOutput runs from atexit
}
