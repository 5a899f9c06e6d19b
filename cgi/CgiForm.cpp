// CgiForm.cpp: reading and URL-decoding the request.
#include "cgi/CgiForm.h"

#include "cgi/Output.h"
#include "cgi/TextUtils.h"

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
            Emit("<H1><font color=\"#ff0000\">You need to input something!</font></H1><hr>\n");
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
        postBody[ReadBody(postBody.get(), static_cast<size_t>(length))] = '\0';
        rawText = postBody.get();
        return true;
    }
    Emit("<H1><font color=\"#ff0000\">Your input method is not supported</font></H1><hr>\n");
    return false;
}

void CCgiForm::ParseFields()
{
    int count = static_cast<int>(std::strlen(rawText));
    std::unique_ptr<char[]> work(new char[count + 1]);
    std::memcpy(work.get(), rawText, static_cast<size_t>(count) + 1);

    while (count != 0) {
        std::unique_ptr<char[]> pair = CutTokenCounted(work.get(), '&', count);
        PlusToSpace(pair.get());
        UrlDecode(pair.get());
        std::unique_ptr<char[]> name = CutToken(pair.get(), '=');
        fields[name.get()] = pair.get();
    }
}

void CCgiForm::PlusToSpace(char* text)
{
    for (; *text != '\0'; ++text)
        if (*text == '+')
            *text = ' ';
}

void CCgiForm::UrlDecode(char* text)
{
    const char* from = text;
    char* to = text;
    while (*from != '\0') {
        // A "%" takes the two bytes after it; with fewer left in the pair it
        // stays as it is, so decoding never reads past the pair's end.
        if (*from == '%' && from[1] != '\0' && from[2] != '\0') {
            *to++ = HexPairValue(static_cast<signed char>(from[1]),
                                 static_cast<signed char>(from[2]));
            from += 3;
        } else {
            *to++ = *from++;
        }
    }
    *to = '\0';
}

char CCgiForm::HexPairValue(signed char high, signed char low)
{
    auto digit = [](int c) { return c > 64 ? (c & ~0x20) - 55 : c - 48; };
    return static_cast<char>((16 * digit(high) + digit(low)) & 0xFF);
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
