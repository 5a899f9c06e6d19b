// CgiForm.cpp: reading and URL-decoding the request.
#include "cgi/CgiForm.h"

#include "base/Output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

CCgiForm::CCgiForm()
{
    if (ReadRequest())
        ParseFields();
}

namespace {

// CONTENT_LENGTH as a byte count: -1 when it is absent, not a number or
// negative, so that such a request reads as empty.
long ContentLength()
{
    const char* text = std::getenv("CONTENT_LENGTH");
    if (text == nullptr)
        return -1;
    errno = 0;
    char* end = nullptr;
    long length = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || length < 0)
        return errno == ERANGE && length > 0 ? CCgiForm::MaxContentLength + 1 : -1;
    return length;
}

// The answer to a request that brought no form: a GET without a query, or a
// POST whose body ended early.
void EmitNothingToRead()
{
    Emit("<H1><font color=\"#ff0000\">You need to input something!</font></H1><hr>\n");
}

// Reads up to `length` bytes of the body; fewer when the input ends first.
size_t ReadBody(char* body, size_t length)
{
    size_t got = 0;
    while (got < length) {
        ssize_t n = ::read(STDIN_FILENO, body + got, length - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return got;
}

}  // namespace

bool CCgiForm::ReadRequest()
{
    const char* method = std::getenv("REQUEST_METHOD");
    if (method == nullptr) {
        Emit("This program must be launched through web server, not command line!\n"
             "ZEP is forced to quit.\n");
        ExitRequest(1);
    }
    if (std::strcmp(method, "GET") == 0) {
        rawText = std::getenv("QUERY_STRING");
        if (rawText == nullptr) {
            EmitNothingToRead();
            return false;
        }
        return true;
    }
    if (std::strcmp(method, "POST") == 0) {
        long length = ContentLength();
        if (length > MaxContentLength) {
            Emit("<H1><font color=\"#ff0000\">Your input is too large</font></H1><hr>\n");
            return false;
        }
        if (length < 0)
            length = 0;
        postBody.reset(new char[static_cast<size_t>(length) + 1]);
        const size_t got = ReadBody(postBody.get(), static_cast<size_t>(length));
        postBody[got] = '\0';
        // A body cut short (the client went away mid-upload) is half a form:
        // applied, it would reset every setting of the missing half.
        if (got < static_cast<size_t>(length)) {
            postBody.reset();
            EmitNothingToRead();
            return false;
        }
        rawText = postBody.get();
        return true;
    }
    Emit("<H1><font color=\"#ff0000\">Your input method is not supported</font></H1><hr>\n");
    return false;
}

void CCgiForm::ParseFields()
{
    // Pairs are decoded in place in one working copy, walking from pair to pair:
    // cutting each pair off the front would move the rest of the text every
    // time, and a large request of many pairs would take hours.
    const size_t length = std::strlen(rawText);
    std::unique_ptr<char[]> work(new char[length + 1]);
    std::memcpy(work.get(), rawText, length + 1);

    char* pair = work.get();
    char* const end = pair + length;
    while (pair < end) {
        char* ampersand = static_cast<char*>(std::memchr(pair, '&', static_cast<size_t>(end - pair)));
        char* next = end;
        if (ampersand != nullptr) {
            *ampersand = '\0';
            next = ampersand + 1;
        }
        PlusToSpace(pair);
        UrlDecode(pair);
        // A decoded NUL (%00) ends the pair here.
        if (char* equals = std::strchr(pair, '=')) {
            *equals = '\0';
            fields[pair] = equals + 1;
        } else {
            fields[pair] = "";
        }
        pair = next;
    }
}

void CCgiForm::PlusToSpace(char* text)
{
    char* const end = text + std::strlen(text);
    char* plus = text;
    while ((plus = static_cast<char*>(std::memchr(plus, '+', static_cast<size_t>(end - plus)))) != nullptr)
        *plus++ = ' ';
}

void CCgiForm::UrlDecode(char* text)
{
    // A "%" takes the two bytes after it, whatever they are; with fewer left
    // it stays as it is, so decoding never reads past the text's end.
    const char* from = text;
    char* to = text;
    while (*from != '\0') {
        if (from[0] == '%' && from[1] != '\0' && from[2] != '\0') {
            *to++ = HexPairValue(static_cast<signed char>(from[1]), static_cast<signed char>(from[2]));
            from += 3;
        } else {
            *to++ = *from++;
        }
    }
    *to = '\0';
}

namespace {

// The value of one byte as a hexadecimal digit: exact for 0-9, A-F and a-f,
// and for any other byte what the same rule gives.
int HexDigit(signed char c)
{
    return c > 64 ? (c & ~0x20) - 55 : c - 48;
}

}  // namespace

char CCgiForm::HexPairValue(signed char high, signed char low)
{
    return static_cast<char>((16 * HexDigit(high) + HexDigit(low)) & 0xFF);
}

void CCgiForm::DumpFields() const
{
    if (fields.empty()) {
        Emit("Error: map container is empty.<br>");
        return;
    }
    for (const auto& [name, value] : fields) {
        Emit("<B>");
        EmitHtml(name);
        Emit("</B> = <B>");
        EmitHtml(value);
        Emit("</B><BR>");
    }
}

bool CCgiForm::HasField(const std::string& name) const
{
    return fields.count(name) != 0;
}

const std::string& CCgiForm::Field(const std::string& name)
{
    return fields[name];
}
