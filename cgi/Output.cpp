// Output.cpp: the answer buffer, written to standard output in one go.
#include "cgi/Output.h"

#include "cgi/WordBytes.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <new>
#include <unistd.h>

namespace answer_buffer {

char* begin = nullptr;
char* cursor = nullptr;
char* limit = nullptr;

void MakeRoom(size_t count)
{
    const size_t used = static_cast<size_t>(cursor - begin);
    size_t capacity = limit == nullptr ? 64 * 1024 : static_cast<size_t>(limit - begin);
    while (capacity - used <= count)
        capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(begin, capacity));
    if (grown == nullptr)
        throw std::bad_alloc();
    // Registered with the first room made, so an exit() anywhere still
    // delivers the page.
    if (begin == nullptr)
        std::atexit(FlushOutput);
    begin = grown;
    cursor = grown + used;
    limit = grown + capacity;
}

}  // namespace answer_buffer

using namespace answer_buffer;

namespace {

// The entity of each byte that HTML needs replaced; null for the others.
struct Entities {
    const char* text[256] = {};
    unsigned char length[256] = {};
    constexpr Entities()
    {
        text['&'] = "&amp;";
        length['&'] = 5;
        text['<'] = "&lt;";
        length['<'] = 4;
        text['>'] = "&gt;";
        length['>'] = 4;
        text['"'] = "&quot;";
        length['"'] = 6;
    }
};
constexpr Entities HtmlEntities;
constexpr size_t LongestEntity = 6;

// False when none of the eight bytes needs an entity. With bit 2 set, " reads
// as &; with bit 1 set, < reads as >; no other byte reads as either.
inline bool MayNeedEntity(uint64_t word)
{
    return (HoldsByte(word | 0x0404040404040404ull, '&') | HoldsByte(word | 0x0202020202020202ull, '>')) != 0;
}

}  // namespace

void EmitHtml(std::string_view value)
{
    // Room for the worst case first, so the copy needs no test per byte.
    const size_t size = value.size();
    if (static_cast<size_t>(limit - cursor) <= size * LongestEntity)
        MakeRoom(size * LongestEntity);
    const char* const from = value.data();
    // Eight bytes at a time, the last eight overlapping the ones before, as
    // long as none of them needs an entity; values seldom hold one.
    size_t done = 0;
    if (size >= 8) {
        uint64_t word;
        for (; done + 8 <= size; done += 8) {
            word = LoadWord(from + done);
            if (MayNeedEntity(word))
                break;
            std::memcpy(cursor + done, &word, 8);
        }
        if (done + 8 > size) {
            word = LoadWord(from + size - 8);
            if (!MayNeedEntity(word)) {
                std::memcpy(cursor + size - 8, &word, 8);
                cursor += size;
                return;
            }
        }
    }
    char* out = cursor + done;
    for (const char* next = from + done; next < from + size; ++next) {
        const char c = *next;
        const auto byte = static_cast<unsigned char>(c);
        const unsigned char length = HtmlEntities.length[byte];
        if (length == 0) {
            *out++ = c;
        } else {
            std::memcpy(out, HtmlEntities.text[byte], length);
            out += length;
        }
    }
    cursor = out;
}

void EmitNumber(long long value)
{
    constexpr size_t Longest = 24;
    if (static_cast<size_t>(limit - cursor) <= Longest)
        MakeRoom(Longest);
    cursor = std::to_chars(cursor, cursor + Longest, value).ptr;
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
    WriteFully(STDOUT_FILENO, std::string_view(begin, static_cast<size_t>(cursor - begin)));
    cursor = begin;
}

std::string TakeOutput()
{
    std::string taken(begin, static_cast<size_t>(cursor - begin));
    cursor = begin;
    return taken;
}

[[noreturn]] void ExitRequest(int status)
{
    std::exit(status);  // FlushOutput runs from atexit
}
