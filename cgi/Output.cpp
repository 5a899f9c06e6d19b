// Output.cpp: the answer buffer, written to standard output in one go.
#include "cgi/Output.h"

#include <cerrno>
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
    std::string& answer = Answer();
    for (char c : value) {
        switch (c) {
        case '&': answer += "&amp;"; break;
        case '<': answer += "&lt;"; break;
        case '>': answer += "&gt;"; break;
        case '"': answer += "&quot;"; break;
        default: answer += c;
        }
    }
}

void EmitNumber(long long value)
{
    char text[24];
    int length = std::snprintf(text, sizeof text, "%lld", value);
    Answer().append(text, static_cast<size_t>(length));
}

void FlushOutput()
{
    std::string& answer = Answer();
    const char* data = answer.data();
    size_t left = answer.size();
    while (left > 0) {
        ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            break;  // the web server has gone; nothing else can be told
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
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
