// Output.cpp: the answer buffer, written to standard output in one go.
#include "cgi/Output.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string& Answer()
{
    // Registered on first use so an exit() anywhere still delivers the page.
    static std::string* answer = [] {
        auto* text = new std::string;
        text->reserve(64 * 1024);
        std::atexit(FlushOutput);
        return text;
    }();
    return *answer;
}

}  // namespace

void Emit(std::string_view text)
{
    Answer().append(text);
}

void EmitHtml(std::string_view value)
{
    // Runs of plain bytes are appended whole; only the four special bytes
    // are replaced one by one.
    std::string& answer = Answer();
    size_t plainFrom = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        std::string_view entity;
        switch (value[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        default: continue;
        }
        answer.append(value.substr(plainFrom, i - plainFrom));
        answer.append(entity);
        plainFrom = i + 1;
    }
    answer.append(value.substr(plainFrom));
}

void EmitNumber(long long value)
{
    char text[24];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    Answer().append(text, static_cast<size_t>(end.ptr - text));
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
    std::string& answer = Answer();
    // A failure means the web server has gone; nothing else can be told.
    WriteFully(STDOUT_FILENO, answer);
    answer.clear();
}

std::string TakeOutput()
{
    std::string taken;
    taken.swap(Answer());
    Answer().reserve(64 * 1024);
    return taken;
}

[[noreturn]] void ExitRequest(int status)
{
    std::exit(status);  // FlushOutput runs from atexit
}
